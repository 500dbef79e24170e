#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ICalendar/EventCalendar.h"
#include "ICalendar/TimeZoneResolver.h"
#include "ICalendar/WrittenEvent.h"

namespace CorlaMeetings {

// Turns the events read from one calendar text into its records: places times in their
// zones, works out how long each occurrence lasts (DTEND, DURATION, or the defaults: a day
// for a DATE, nothing for a DATE-TIME), pairs overrides (RECURRENCE-ID) with their series,
// and bounds each series, walking COUNT rules once. Notes what it drops or cuts.
class CalendarBuilder {
 public:
  CalendarBuilder(TimeZoneResolver& zones, std::vector<std::string>& problems);

  void add(WrittenEvent event) { events_.push_back(std::move(event)); }
  std::shared_ptr<const EventCalendar> build();

 private:
  ZonedTime place(const WrittenTime& time);
  const EventTimeZone& zoneOrLocal(const EventTimeZone* zone);
  LocalSeconds onClockOf(const ZonedTime& time, const EventTimeZone* zone);
  EventLength lengthOf(const WrittenEvent& event, const ZonedTime& start);
  EventLength periodLength(const WrittenRecurrenceDate& date, const ZonedTime& start, const WrittenEvent& event);
  void exclude(Series& series, bool allDay, const WrittenTime& time);
  std::optional<SeriesRule> seriesRule(const WrittenRule& rule, const Series& series, const WrittenEvent& event);
  Series makeSeries(const WrittenEvent& master, const std::vector<const WrittenEvent*>& overrides);
  SingleEvent makeSingle(const WrittenEvent& event, bool isOverride);
  void note(const WrittenEvent& event, const std::string& what);

  TimeZoneResolver& zones_;
  std::vector<std::string>& problems_;
  std::vector<WrittenEvent> events_;
  std::unique_ptr<EventTimeZone> localZone_;  // floating times' zone at parse time
  long countingBudget_;
};

}  // namespace CorlaMeetings
