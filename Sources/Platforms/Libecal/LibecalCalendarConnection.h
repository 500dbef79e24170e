#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EDS/Client/EdsClient.h"
#include "Libecal/GLibHandles.h"

typedef struct _ESource ESource;
typedef struct _ECalClient ECalClient;
typedef struct _ECalClientView ECalClientView;

namespace CorlaMeetings {

// A calendar followed through libecal (see EdsCalendarConnection). Main thread.
class LibecalCalendarConnection : public EdsCalendarConnection,
                                  public std::enable_shared_from_this<LibecalCalendarConnection> {
 public:
  // Call start() once the connection is held by a shared_ptr.
  LibecalCalendarConnection(GObjectPtr<ESource> source, std::string name, RunLoop& runLoop, Listener& listener,
                            EdsConnectionOptions options);
  ~LibecalCalendarConnection() override;
  LibecalCalendarConnection(const LibecalCalendarConnection&) = delete;
  LibecalCalendarConnection& operator=(const LibecalCalendarConnection&) = delete;

  void start(std::string query) override;
  bool settled() const override { return settled_; }
  const std::string& name() const override { return name_; }

 private:
  static void connected(GObject* object, GAsyncResult* result, gpointer data);
  static void viewOpened(GObject* object, GAsyncResult* result, gpointer data);
  static void zoneFound(GObject* object, GAsyncResult* result, gpointer data);
  static void objectsAddedOrModified(ECalClientView* view, const GSList* objects, gpointer self);
  static void objectsRemoved(ECalClientView* view, const GSList* ids, gpointer self);
  static void viewComplete(ECalClientView* view, const GError* error, gpointer self);
  static void backendDied(GObject* client, gpointer self);

  // The weak handle callbacks get: they do nothing once the connection is gone or has moved
  // on to another attempt.
  struct Call {
    std::weak_ptr<LibecalCalendarConnection> connection;
    unsigned attempt = 0;
    std::string tzid;
  };
  static std::shared_ptr<LibecalCalendarConnection> current(gpointer data, std::string* tzid = nullptr);
  gpointer call(std::string tzid = {});

  void connect();
  // Reports once per run of the same problem; `retry` drops the client and tries again later.
  void failed(const std::string& what, const GError* error, bool retry);
  void dropClient();
  void retryLater();
  void lookUpZones(const std::string& componentText);
  void deliver(std::vector<ComponentChange> changes);
  void flush();
  void settle();

  GObjectPtr<ESource> source_;
  std::string uid_;
  std::string name_;  // "eds:Personal", for messages
  std::string query_;
  RunLoop& runLoop_;
  Listener& listener_;
  EdsConnectionOptions options_;

  unsigned attempt_ = 0;
  GObjectPtr<GCancellable> cancellable_;
  GObjectPtr<ECalClient> client_;
  GObjectPtr<ECalClientView> view_;
  bool loading_ = false;
  std::size_t loaded_ = 0;  // components of the load under way
  bool settled_ = false;
  bool settleAfterFlush_ = false;
  Duration retryDelay_;
  std::unique_ptr<DelayedWork> retry_;
  std::string reportedProblem_;  // reported once until things go well again

  // Zones ICU does not know, by TZID: their VTIMEZONE text, empty when the calendar has
  // none. Changes that name a zone still being fetched wait, with everything after them.
  std::map<std::string, std::string> zones_;
  int zonesInFlight_ = 0;
  std::vector<ComponentChange> waiting_;
};

}  // namespace CorlaMeetings
