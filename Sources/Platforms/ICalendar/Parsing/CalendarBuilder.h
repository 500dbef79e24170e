#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ICalendar/Parsing/RecordObserver.h"
#include "ICalendar/Parsing/WrittenEvent.h"
#include "ICalendar/Query/EventCalendar.h"
#include "ICalendar/Records/SingleEvent.h"
#include "ICalendar/Zones/TimeZoneResolver.h"

namespace CorlaMeetings {

// Turns the events read from one calendar text into its records: places times in their
// zones, works out how long each occurrence lasts (DTEND, DURATION, or the defaults: a day
// for a DATE, nothing for a DATE-TIME), pairs overrides (RECURRENCE-ID) with their series,
// and bounds each series, walking COUNT rules once. Notes what it drops or cuts.
//
// Events are added as they are read; the zones are known only once the whole text is.
class CalendarBuilder {
 public:
  CalendarBuilder();

  void add(WrittenEvent event) { events_.push_back(std::move(event)); }
  void setObserver(RecordObserver* observer) { observer_ = observer; }
  // Once. Notes go to `problems`.
  std::shared_ptr<const EventCalendar> build(TimeZoneResolver& zones, std::vector<std::string>& problems);

 private:
  ZonedTime place(const WrittenTime& time);
  const EventTimeZone& zoneOrLocal(const EventTimeZone* zone);
  LocalSeconds onClockOf(const ZonedTime& time, const EventTimeZone* zone);
  EventLength lengthOf(const WrittenEvent& event, const ZonedTime& start);
  EventLength periodLength(const WrittenRecurrenceDate& date, const ZonedTime& start, const WrittenEvent& event);
  LocalSeconds onSeriesClock(const WrittenTime& time, const Series& series);
  void exclude(Series& series, const WrittenTime& time);
  std::optional<SeriesRule> seriesRule(const WrittenRule& rule, const Series& series, const WrittenEvent& event);
  // Both take the event's texts over.
  Series makeSeries(WrittenEvent& master, const std::vector<WrittenEvent*>& overrides);
  SingleEvent makeSingle(WrittenEvent& event, bool isOverride);
  SeriesChange changeFrom(const WrittenEvent& override, const Series& series);
  void note(const WrittenEvent& event, const std::string& what);

  TimeZoneResolver* zones_ = nullptr;
  std::vector<std::string>* problems_ = nullptr;
  std::deque<WrittenEvent> events_;           // grows without moving: a heavy calendar's are 15 MB
  std::unique_ptr<EventTimeZone> localZone_;  // floating times' zone at parse time
  long countingBudget_;
  RecordObserver* observer_ = nullptr;
};

}  // namespace CorlaMeetings
