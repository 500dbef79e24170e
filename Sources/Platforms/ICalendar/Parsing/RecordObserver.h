#pragma once

#include "ICalendar/Parsing/WrittenEvent.h"
#include "ICalendar/Records/Series.h"
#include "ICalendar/Records/SingleEvent.h"

namespace CorlaMeetings {

// Told of each record a builder makes, with the event it was made from (a series'
// master), before the record goes into its calendar.
class RecordObserver {
 public:
  virtual ~RecordObserver() = default;
  virtual void madeSingle(const WrittenEvent& from, const SingleEvent& record) = 0;
  virtual void madeSeries(const WrittenEvent& from, const Series& record) = 0;
};

}  // namespace CorlaMeetings
