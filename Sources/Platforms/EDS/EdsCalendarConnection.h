#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EDS/ComponentCollection.h"
#include "EDS/EdsConnectionOptions.h"
#include "EDS/GLibHandles.h"
#include "app/RunLoop.h"

typedef struct _ESource ESource;
typedef struct _ECalClient ECalClient;
typedef struct _ECalClientView ECalClientView;

namespace CorlaMeetings {

// Follows one calendar of the desktop's calendar service: connects to its backend, opens a
// view of all its events, and reports what the view delivers as ComponentChanges, whole
// load first. Everything is asynchronous; the main thread never waits on D-Bus.
//
// Zones the components name that ICU does not know are fetched from the calendar first, and
// the changes that need them wait for them, in order.
//
// When the calendar factory dies or the backend fails, the connection drops the client and
// tries again after Options::retrySeconds, doubling the pause up to 64 times that; a
// successful load resets it. The last load's events stay meanwhile (the listener keeps them).
class EdsCalendarConnection : public std::enable_shared_from_this<EdsCalendarConnection> {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    // Changes in the order they happened, in batches.
    virtual void componentsChanged(const std::string& calendar, std::vector<ComponentChange> changes) = 0;
    // The first load has been delivered, or has failed.
    virtual void calendarSettled(const std::string& calendar) = 0;
    virtual void report(const std::string& line) = 0;
  };

  using Options = EdsConnectionOptions;

  // Main thread. `listener` and `runLoop` must outlive the connection. Call start() once
  // the connection is held by a shared_ptr.
  EdsCalendarConnection(GObjectPtr<ESource> source, std::string name, RunLoop& runLoop, Listener& listener,
                        Options options);
  ~EdsCalendarConnection();
  EdsCalendarConnection(const EdsCalendarConnection&) = delete;
  EdsCalendarConnection& operator=(const EdsCalendarConnection&) = delete;

  void start();
  bool settled() const { return settled_; }
  const std::string& uid() const { return uid_; }
  const std::string& name() const { return name_; }

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
    std::weak_ptr<EdsCalendarConnection> connection;
    unsigned attempt = 0;
    std::string tzid;
  };
  static std::shared_ptr<EdsCalendarConnection> current(gpointer data, std::string* tzid = nullptr);
  gpointer call(std::string tzid = {});

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
  RunLoop& runLoop_;
  Listener& listener_;
  Options options_;

  unsigned attempt_ = 0;
  GObjectPtr<GCancellable> cancellable_;
  GObjectPtr<ECalClient> client_;
  GObjectPtr<ECalClientView> view_;
  bool loading_ = false;
  std::size_t loaded_ = 0;  // components of the load under way
  bool settled_ = false;
  bool settleAfterFlush_ = false;
  double retryDelay_;
  std::unique_ptr<DelayedWork> retry_;
  std::string reportedProblem_;  // reported once until things go well again

  // Zones ICU does not know, by TZID: their VTIMEZONE text, empty when the calendar has
  // none. Changes that name a zone still being fetched wait, with everything after them.
  std::map<std::string, std::string> zones_;
  int zonesInFlight_ = 0;
  std::vector<ComponentChange> waiting_;
};

}  // namespace CorlaMeetings
