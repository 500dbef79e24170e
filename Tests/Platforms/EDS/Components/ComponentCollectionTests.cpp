#include "EDS/Components/ComponentCollection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ICalendar/Parsing/ParseLimits.h"
#include "Platforms/EDS/Support/OccurrenceList.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

const Instant kFrom = utcTime(2026, 12, 7);
const Instant kTo = utcTime(2026, 12, 11);

// The zone of a calendar's own making: ICU has no such name.
const char* kCustomZone =
    "BEGIN:VTIMEZONE\nTZID:Velto Test Zone\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
    "TZOFFSETFROM:+0545\nTZOFFSETTO:+0545\nEND:STANDARD\nEND:VTIMEZONE\n";
const char* kWindowsZone =
    "BEGIN:VTIMEZONE\nTZID:W. Europe Standard Time\nBEGIN:STANDARD\nDTSTART:16010101T030000\n"
    "TZOFFSETFROM:+0200\nTZOFFSETTO:+0100\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\nEND:STANDARD\n"
    "BEGIN:DAYLIGHT\nDTSTART:16010101T020000\nTZOFFSETFROM:+0100\nTZOFFSETTO:+0200\n"
    "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\nEND:DAYLIGHT\nEND:VTIMEZONE\n";

// The value of the first line of `name` in a component's text ("" when there is none).
std::string valueOf(const std::string& component, const std::string& name) {
  std::size_t at = component.find("\n" + name);
  if (at == std::string::npos) return "";
  std::size_t colon = component.find(':', at);
  return component.substr(colon + 1, component.find('\n', colon) - colon - 1);
}

// Hands a calendar's VEVENTs to `collection` one by one, as a view does, and its VTIMEZONEs
// as the zones fetched for them.
void putComponents(ComponentCollection& collection, const std::string& calendar) {
  for (const char* kind : {"VTIMEZONE", "VEVENT"}) {
    std::string begin = std::string("BEGIN:") + kind + "\n", end = std::string("END:") + kind + "\n";
    for (std::size_t at = calendar.find(begin); at != std::string::npos; at = calendar.find(begin, at + 1)) {
      std::string text = calendar.substr(at, calendar.find(end, at) + end.size() - at);
      if (std::string(kind) == "VTIMEZONE") {
        collection.defineZone(valueOf(text, "TZID"), text);
      } else {
        collection.put(valueOf(text, "UID"), valueOf(text, "RECURRENCE-ID"), text);
      }
    }
  }
}

TEST(ComponentCollection, GivesTheMeetingsAndIdentifiersAFileGives) {
  const std::string kSeries = event(
      "UID:standup\nDTSTART;TZID=Europe/Berlin:20261207T093000\nDTEND;TZID=Europe/Berlin:20261207T094500\n"
      "RRULE:FREQ=DAILY\nEXDATE;TZID=Europe/Berlin:20261208T093000\nSUMMARY:Standup");
  const std::string kMoved = event(
      "UID:standup\nRECURRENCE-ID;TZID=Europe/Berlin:20261209T093000\nDTSTART;TZID=Europe/Berlin:20261209T110000\n"
      "DTEND;TZID=Europe/Berlin:20261209T111500\nSUMMARY:Standup (moved)");
  const struct {
    const char* what;
    std::string file;   // as exported
    std::string given;  // as the calendar service hands it over, where it differs
    // clang-format off
  } cases[] = {
      {"a daily series with an exception and a moved occurrence", kSeries + kMoved, ""},
      {"the same, with the EXDATE the service adds for the moved occurrence",
       kSeries + kMoved,
       event("UID:standup\nDTSTART;TZID=Europe/Berlin:20261207T093000\nDTEND;TZID=Europe/Berlin:20261207T094500\n"
             "RRULE:FREQ=DAILY\nEXDATE;TZID=Europe/Berlin:20261208T093000\nSUMMARY:Standup\n"
             "EXDATE:20261209T093000") +
           kMoved},
      {"a later occurrence changed with all that follow it",
       event("UID:sync\nDTSTART:20261207T080000Z\nDURATION:PT30M\nRRULE:FREQ=DAILY;COUNT=5\nSUMMARY:Sync") +
           event("UID:sync\nRECURRENCE-ID;RANGE=THISANDFUTURE:20261209T080000Z\nDTSTART:20261209T100000Z\n"
                 "DURATION:PT30M\nSUMMARY:Sync (later)"),
       ""},
      {"a Windows zone", std::string(kWindowsZone) + event("UID:win\nDTSTART;TZID=W. Europe Standard Time:"
                                                           "20261208T150000\nDURATION:PT1H\nSUMMARY:Outlook"),
       ""},
      {"a zone of the calendar's own",
       std::string(kCustomZone) +
           event("UID:custom\nDTSTART;TZID=Velto Test Zone:20261208T090000\nDURATION:PT1H\nSUMMARY:Kathmandu"),
       ""},
      {"an all-day event", event("UID:offsite\nDTSTART;VALUE=DATE:20261207\nSUMMARY:Offsite"), ""},
  };
  // clang-format on
  for (const auto& [what, file, given] : cases) {
    SCOPED_TRACE(what);
    ComponentCollection collection;
    putComponents(collection, given.empty() ? file : given);
    std::vector<Occurrence> fromFile = occurrencesOf(parsed(calendarWith(file))->occurrences(kFrom, kTo));
    EXPECT_FALSE(fromFile.empty());
    EXPECT_EQ(occurrencesOf(collection.calendar()->occurrences(kFrom, kTo)), fromFile);
    EXPECT_TRUE(collection.takeProblems().empty());
  }
}

TEST(ComponentCollection, FollowsChangesToOneEventWithoutTouchingTheOthers) {
  ComponentCollection collection;
  collection.put("a", "", event("UID:a\nDTSTART:20261207T080000Z\nSUMMARY:A"));
  collection.put("b", "", event("UID:b\nDTSTART:20261207T090000Z\nRRULE:FREQ=DAILY;COUNT=2\nSUMMARY:B"));
  collection.put("b", "20261208T090000Z",
                 event("UID:b\nRECURRENCE-ID:20261208T090000Z\nDTSTART:20261208T120000Z\n"
                       "SUMMARY:B moved"));
  auto first = collection.calendar();
  EXPECT_EQ(titlesIn(*first, kFrom, kTo), (std::vector<std::string>{"A", "B", "B moved"}));
  EXPECT_FALSE(collection.changed());

  collection.put("a", "", event("UID:a\nDTSTART:20261207T080000Z\nSUMMARY:A renamed"));
  EXPECT_TRUE(collection.changed());
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"A renamed", "B", "B moved"}));
  EXPECT_EQ(titlesIn(*first, kFrom, kTo), (std::vector<std::string>{"A", "B", "B moved"}));  // handed out: immutable

  collection.remove("b", "20261208T090000Z");  // the moved occurrence goes back in place
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"A renamed", "B", "B"}));
  collection.put("b", "20261208T090000Z",
                 event("UID:b\nRECURRENCE-ID:20261208T090000Z\nDTSTART:20261208T120000Z\n"
                       "SUMMARY:B moved"));
  collection.remove("b", "");  // the whole series, reported as its master alone
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"A renamed"}));
  collection.remove("gone", "");
  EXPECT_FALSE(collection.changed());

  // An occurrence detached from an event that never repeated (no service writes that):
  // both are kept.
  collection.put("a", "20261207T080000Z",
                 event("UID:a\nRECURRENCE-ID:20261207T080000Z\nDTSTART:20261207T090000Z\n"
                       "SUMMARY:A detached"));
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"A renamed", "A detached"}));
  collection.remove("a", "");
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{}));
}

TEST(ComponentCollection, ALoadReplacesTheEventsOnlyWhenItEndsWell) {
  ComponentCollection collection;
  collection.put("a", "", event("UID:a\nDTSTART:20261207T080000Z\nSUMMARY:Kept"));
  collection.calendar();

  collection.beginLoad();
  collection.put("b", "", event("UID:b\nDTSTART:20261207T090000Z\nSUMMARY:Half loaded"));
  EXPECT_FALSE(collection.changed());
  collection.endLoad(false);  // the service went away half way
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"Kept"}));

  collection.beginLoad();
  collection.put("c", "", event("UID:c\nDTSTART:20261207T100000Z\nSUMMARY:Reloaded"));
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"Kept"}));
  collection.endLoad(true);
  EXPECT_TRUE(collection.changed());
  EXPECT_EQ(titlesIn(*collection.calendar(), kFrom, kTo), (std::vector<std::string>{"Reloaded"}));
}

TEST(ComponentCollection, ABadOrHostileComponentCostsOnlyItsOwnEvent) {
  const std::string kAbsurdZone =
      "BEGIN:VTIMEZONE\nTZID:Absurd\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
      "TZOFFSETFROM:+9900\nTZOFFSETTO:+9900\nEND:STANDARD\nEND:VTIMEZONE\n";
  const struct {
    const char* what;
    std::string component;
    std::string zone;
    // clang-format off
  } cases[] = {
      {"no start", event("UID:bad\nSUMMARY:No start"), ""},
      {"not iCalendar at all", "garbage\n\x01\x02 END:VCALENDAR\nBEGIN:VEVENT\n", ""},
      {"an endless minutely rule", event("UID:bad\nDTSTART:20000101T000000Z\nRRULE:FREQ=MINUTELY\nSUMMARY:Every"), ""},
      {"a huge line", event("UID:bad\nDTSTART:20261207T100000Z\nDESCRIPTION:" + std::string(8u << 20, 'x')), ""},
      {"an absurd zone", event("UID:bad\nDTSTART;TZID=Absurd:20261207T100000\nSUMMARY:Absurd"), kAbsurdZone},
  };
  // clang-format on
  for (const auto& [what, component, zone] : cases) {
    SCOPED_TRACE(what);
    ComponentCollection collection;
    collection.put("good", "", event("UID:good\nDTSTART:20261208T080000Z\nSUMMARY:Good"));
    if (!zone.empty()) collection.defineZone("Absurd", zone);
    collection.put("bad", "", component);
    auto calendar = collection.calendar();
    auto titles = titlesIn(*calendar, kFrom, kTo);
    EXPECT_NE(std::find(titles.begin(), titles.end(), "Good"), titles.end());
    EXPECT_LE(calendar->occurrences(utcTime(2000, 1, 1), utcTime(2100, 1, 1)).size(),
              std::size_t{ParseLimits::kMaxOccurrencesPerSeries} + 1);
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
