#pragma once

#include <memory>
#include <string>

typedef struct _ECalClient ECalClient;
typedef struct _ESource ESource;
typedef struct _ESourceRegistry ESourceRegistry;

namespace CorlaMeetings::Testing {

// A calendar in the test session's Evolution Data Server, changed as an application would
// change it: through libecal, synchronously. Failures fail the running test.
class EdsTestCalendar {
 public:
  // A new local calendar, enabled and selected, with this UID and display name.
  static std::unique_ptr<EdsTestCalendar> create(const std::string& uid, const std::string& name);
  // The same for a CalDAV calendar at `url`, without authentication.
  static std::unique_ptr<EdsTestCalendar> createCalDav(const std::string& uid, const std::string& name,
                                                       const std::string& url);
  ~EdsTestCalendar();  // removes the calendar, unless it is the built-in one

  // Imports a whole calendar text (events, detached occurrences, zones) as a file import does.
  void import(const std::string& calendarText);
  // One VEVENT, text from BEGIN to END.
  void add(const std::string& event);
  void modify(const std::string& event);
  void remove(const std::string& uid);

  // Makes the backend fetch the calendar from its server now.
  void refresh();
  // Drops the connection, as after the calendar factory died; the next change opens another.
  void reconnect();

  void setSelected(bool selected);
  void setEnabled(bool enabled);
  void rename(const std::string& name);

  const std::string& uid() const { return uid_; }

 private:
  EdsTestCalendar(std::string uid, ESource* source);
  static std::unique_ptr<EdsTestCalendar> commit(ESource* source);
  static ESourceRegistry* registry();
  void connect();
  void write();

  std::string uid_;
  ESource* source_;
  ECalClient* client_ = nullptr;
};

}  // namespace CorlaMeetings::Testing
