#include "ICalendar/Parsing/VEventReader.h"

#include <libical/ical.h>

#include <memory>
#include <mutex>

#include "ICalendar/Libical/IcalTime.h"
#include "ICalendar/Libical/LibicalLock.h"
#include "ICalendar/Parsing/CalendarBlock.h"

namespace CorlaMeetings {

namespace {

using ComponentPointer = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;

std::string tzidOf(icalproperty* property) {
  icalparameter* parameter = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  const char* tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
  return tzid ? std::string(tzid) : std::string();
}

std::optional<WrittenTime> writtenTime(const icaltimetype& time, const std::string& tzid) {
  const auto local = fromIcalTime(time);
  if (!local) return std::nullopt;
  WrittenTime written;
  written.local = *local;
  written.isDate = time.is_date != 0;
  written.isUtc = !written.isDate && icaltime_is_utc(time) != 0;
  written.tzid = tzid;
  return written;
}

// DTSTART, DTEND, RECURRENCE-ID and EXDATE: a DATE or a DATE-TIME.
std::optional<WrittenTime> timeOf(icalproperty* property) {
  const icalvalue* value = icalproperty_get_value(property);
  if (!value) return std::nullopt;
  switch (icalvalue_isa(value)) {
    case ICAL_DATETIME_VALUE: return writtenTime(icalvalue_get_datetime(value), tzidOf(property));
    case ICAL_DATE_VALUE: return writtenTime(icalvalue_get_date(value), tzidOf(property));
    default: return std::nullopt;
  }
}

WrittenDuration writtenDuration(const icaldurationtype& duration) {
  WrittenDuration written;
  written.negative = duration.is_neg != 0;
  written.days = static_cast<int>(duration.weeks * 7 + duration.days);
  written.exact = std::chrono::hours(duration.hours) + std::chrono::minutes(duration.minutes) +
                  std::chrono::seconds(duration.seconds);
  return written;
}

std::optional<WrittenRecurrenceDate> recurrenceDateOf(icalproperty* property) {
  const icalvalue* value = icalproperty_get_value(property);
  if (!value) return std::nullopt;
  const std::string tzid = tzidOf(property);
  WrittenRecurrenceDate date;
  icalperiodtype period;
  switch (icalvalue_isa(value)) {
    case ICAL_DATETIME_VALUE:
    case ICAL_DATE_VALUE:
      if (auto start = timeOf(property)) return WrittenRecurrenceDate{*start, std::nullopt, std::nullopt};
      return std::nullopt;
    case ICAL_PERIOD_VALUE: period = icalvalue_get_period(value); break;
    case ICAL_DATETIMEPERIOD_VALUE: {
      const icaldatetimeperiodtype both = icalvalue_get_datetimeperiod(value);
      if (!icaltime_is_null_time(both.time)) {
        if (auto start = writtenTime(both.time, tzid)) return WrittenRecurrenceDate{*start, std::nullopt, std::nullopt};
        return std::nullopt;
      }
      period = both.period;
      break;
    }
    default: return std::nullopt;
  }
  const auto start = writtenTime(period.start, tzid);
  if (!start) return std::nullopt;
  date.start = *start;
  if (!icaltime_is_null_time(period.end)) {
    date.end = writtenTime(period.end, tzid);
  } else {
    date.duration = writtenDuration(period.duration);
  }
  return date;
}

std::optional<std::string> textOf(icalproperty* property) {
  const icalvalue* value = icalproperty_get_value(property);
  if (!value) return std::nullopt;
  const char* text = nullptr;
  switch (icalvalue_isa(value)) {
    case ICAL_TEXT_VALUE: text = icalvalue_get_text(value); break;
    case ICAL_URI_VALUE: text = icalvalue_get_uri(value); break;
    default: text = icalproperty_get_value_as_string(property); break;
  }
  return text ? std::optional<std::string>(text) : std::nullopt;
}

void readProperty(icalproperty* property, WrittenEvent& event, bool& hasStart, std::vector<std::string>& notes) {
  auto keepFirst = [&](std::optional<std::string>& field) {
    if (!field) field = textOf(property);
  };
  switch (icalproperty_isa(property)) {
    case ICAL_UID_PROPERTY: keepFirst(event.uid); break;
    case ICAL_SUMMARY_PROPERTY: keepFirst(event.summary); break;
    case ICAL_LOCATION_PROPERTY: keepFirst(event.location); break;
    case ICAL_DESCRIPTION_PROPERTY: keepFirst(event.description); break;
    case ICAL_URL_PROPERTY: keepFirst(event.url); break;
    case ICAL_SEQUENCE_PROPERTY: event.sequence = icalproperty_get_sequence(property); break;
    case ICAL_DTSTART_PROPERTY:
      if (auto time = timeOf(property); time && !hasStart) {
        event.start = *time;
        hasStart = true;
      }
      break;
    case ICAL_DTEND_PROPERTY:
      if (!event.end) event.end = timeOf(property);
      break;
    case ICAL_RECURRENCEID_PROPERTY:
      if (!event.recurrenceId) {
        event.recurrenceId = timeOf(property);
        icalparameter* range = icalproperty_get_first_parameter(property, ICAL_RANGE_PARAMETER);
        event.thisAndFuture = range && icalparameter_get_range(range) == ICAL_RANGE_THISANDFUTURE;
      }
      break;
    case ICAL_DURATION_PROPERTY:
      if (const icalvalue* value = icalproperty_get_value(property); value && !event.duration) {
        if (icalvalue_isa(value) == ICAL_DURATION_VALUE)
          event.duration = writtenDuration(icalvalue_get_duration(value));
      }
      break;
    case ICAL_EXDATE_PROPERTY:
      if (auto time = timeOf(property)) {
        event.exceptionDates.push_back(*time);
      } else {
        notes.push_back("an unreadable EXDATE dropped");
      }
      break;
    case ICAL_RDATE_PROPERTY:
      if (auto date = recurrenceDateOf(property)) {
        event.recurrenceDates.push_back(*date);
      } else {
        notes.push_back("an unreadable RDATE dropped");
      }
      break;
    default: break;
  }
}

// RRULEs need DTSTART, which may come after them.
void readRules(icalcomponent* component, WrittenEvent& event, std::vector<std::string>& notes) {
  for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); property;
       property = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY)) {
    const icalvalue* value = icalproperty_get_value(property);
    if (!value || icalvalue_isa(value) != ICAL_RECUR_VALUE) continue;
    auto rule = readRule(icalvalue_get_recur(value), event.start.local);
    if (auto* written = std::get_if<WrittenRule>(&rule)) {
      event.rules.push_back(std::move(*written));
    } else {
      notes.push_back("RRULE dropped: it " + std::get<std::string>(rule));
    }
  }
}

void noteParseErrors(icalcomponent* component, std::vector<std::string>& notes) {
  // libical keeps what it could not read as X-LIC-ERROR properties; broken recurrence
  // parts matter, since the event then shows fewer (or more) occurrences.
  for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); property;
       property = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
    const char* text = icalproperty_get_xlicerror(property);
    if (!text) continue;
    const std::string_view error(text);
    for (const char* name : {"RRULE", "RDATE", "EXDATE"}) {
      if (error.find(std::string(name) + " property") != std::string_view::npos) {
        notes.push_back(std::string("an unreadable ") + name + " dropped");
      }
    }
  }
}

// The plain texts the splitter took out of the block, read as libical's parser would have
// read them there (white space around the value trimmed, then libical's own value reader),
// except the title, which stays as stored: a title of spaces is not an untitled meeting.
void readPlainTexts(const CalendarBlock& block, WrittenEvent& event) {
  constexpr const char* kSpace = " \t\n\v\f\r";
  for (const auto& [name, written] : block.plainTexts) {
    const bool isUrl = name == "URL";
    // Never all white space but in a title: such values stay in the block.
    const auto first = written.find_first_not_of(kSpace);
    const auto last = written.find_last_not_of(kSpace);
    const bool padded = name != "SUMMARY" && (first != 0 || last + 1 != written.size());
    const std::string trimmed = padded ? written.substr(first, last - first + 1) : std::string();
    const char* text = padded ? trimmed.c_str() : written.c_str();
    std::unique_ptr<icalvalue, decltype(&icalvalue_free)> value(
        icalvalue_new_from_string(isUrl ? ICAL_URI_VALUE : ICAL_TEXT_VALUE, text), &icalvalue_free);
    const char* read = !value ? nullptr : isUrl ? icalvalue_get_uri(value.get()) : icalvalue_get_text(value.get());
    if (!read) continue;
    std::optional<std::string>& field = name == "SUMMARY"    ? event.summary
                                        : name == "LOCATION" ? event.location
                                        : isUrl              ? event.url
                                                             : event.description;
    field = std::string(read);
  }
}

// A time written without a zone beside a zoned DTSTART is on DTSTART's clock: that is what
// its writer meant (Thunderbird writes DTEND so), while the user's zone would put the end of
// a New York meeting before its start in Berlin. Beside a floating DTSTART it stays floating.
// A DTSTART that names a zone and ends in Z as well lends the zone it names.
void readOnStartClock(WrittenEvent& event) {
  const WrittenTime& start = event.start;
  if (start.isDate || (!start.isUtc && start.tzid.empty())) return;
  auto onStartClock = [&](WrittenTime& time) {
    if (time.isDate || time.isUtc || !time.tzid.empty()) return;
    time.tzid = start.tzid;
    time.isUtc = start.tzid.empty();
  };
  if (event.end) onStartClock(*event.end);
  if (event.recurrenceId) onStartClock(*event.recurrenceId);
  for (WrittenTime& time : event.exceptionDates) onStartClock(time);
  for (WrittenRecurrenceDate& date : event.recurrenceDates) {
    onStartClock(date.start);
    if (date.end) onStartClock(*date.end);
  }
}

}  // namespace

EventReading readVEvent(const CalendarBlock& block) {
  EventReading reading;
  WrittenEvent event;
  event.line = block.line;
  bool hasStart = false;
  {
    std::lock_guard<std::mutex> lock(libicalMutex());
    ComponentPointer component(icalparser_parse_string(block.text.c_str()), &icalcomponent_free);
    if (!component || icalcomponent_isa(component.get()) != ICAL_VEVENT_COMPONENT) {
      reading.event = std::string("libical cannot read it");
      return reading;
    }
    for (icalproperty* property = icalcomponent_get_first_property(component.get(), ICAL_ANY_PROPERTY); property;
         property = icalcomponent_get_next_property(component.get(), ICAL_ANY_PROPERTY)) {
      readProperty(property, event, hasStart, reading.notes);
    }
    if (hasStart) {
      readRules(component.get(), event, reading.notes);
      noteParseErrors(component.get(), reading.notes);
      readPlainTexts(block, event);
    }
    icalerror_clear_errno();
  }
  if (!hasStart) {
    reading.event = std::string("no valid DTSTART");
  } else {
    readOnStartClock(event);
    reading.event = std::move(event);
  }
  return reading;
}

}  // namespace CorlaMeetings
