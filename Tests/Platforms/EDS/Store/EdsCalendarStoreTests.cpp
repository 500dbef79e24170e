#include "EDS/Store/EdsCalendarStore.h"

#include <gmock/gmock.h>

#include "Platforms/EDS/Support/EdsStoreFixture.h"
#include "Platforms/EDS/Support/EdsTestCalendar.h"
#include "Platforms/EDS/Support/OccurrenceList.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using Titles = std::vector<std::string>;

const Instant kFrom = utcTime(2026, 12, 7);
const Instant kTo = utcTime(2026, 12, 11);

std::string timedEvent(const std::string& uid, const std::string& title, int day, int hour) {
  char start[32];
  std::snprintf(start, sizeof start, "202612%02dT%02d0000Z", day, hour);
  return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start + "\r\nDURATION:PT30M\r\nSUMMARY:" + title +
         "\r\nEND:VEVENT\r\n";
}

using EdsCalendarStoreTest = EdsStoreFixture;

TEST_F(EdsCalendarStoreTest, GivesWhatTheSameCalendarFileGives) {
  const std::string text = fileText(VELTO_FIXTURES_DIR "/eds/week.ics");
  auto calendar = EdsTestCalendar::create("velto-test-week", "Week");
  calendar->import(text);
  open({"eds:Week"});
  ASSERT_EQ(requestAccess(), true);
  auto fromFile = occurrencesOf(parsed(text)->occurrences(kFrom, kTo));
  EXPECT_EQ(occurrencesOf(store_->events(kFrom, kTo)), fromFile);
  EXPECT_EQ(fromFile.size(), 6u);  // the standup thrice (one moved), Outlook, Kathmandu, all day
  EXPECT_THAT(problems(), IsEmpty());
}

TEST_F(EdsCalendarStoreTest, FollowsChangedEventsWithOneNotificationPerBurst) {
  auto calendar = EdsTestCalendar::create("velto-test-live", "Live");
  calendar->add(timedEvent("first", "First", 7, 9));
  open({"eds:Live"});
  ASSERT_EQ(requestAccess(), true);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"First"});
  EXPECT_EQ(notifications_, 0);

  calendar->add(timedEvent("second", "Second", 8, 9));
  calendar->add(timedEvent("third", "Third", 9, 9));
  calendar->modify(timedEvent("first", "First, moved", 7, 15));
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"First, moved", "Second", "Third"}));
  EXPECT_EQ(notificationsOnceQuiet(), 1);

  calendar->remove("second");
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"First, moved", "Third"}));
  EXPECT_EQ(notificationsOnceQuiet(), 2);
}

TEST_F(EdsCalendarStoreTest, FollowsCalendarsSelectedDisabledAndAddedWhileRunning) {
  auto work = EdsTestCalendar::create("velto-test-work", "Work");
  work->add(timedEvent("work", "Work meeting", 8, 10));
  open({"eds:"});
  ASSERT_EQ(requestAccess(), true);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Work meeting"});

  work->setSelected(false);
  EXPECT_TRUE(showsEventually(kFrom, kTo, {}));
  work->setSelected(true);
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Work meeting"}));
  work->setEnabled(false);
  EXPECT_TRUE(showsEventually(kFrom, kTo, {}));

  auto team = EdsTestCalendar::create("velto-test-team", "Team");
  team->add(timedEvent("team", "Team meeting", 9, 10));
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Team meeting"}));
  EXPECT_TRUE(runEventsUntil([&] { return notifications_ > 0; }, kPatience));
  team.reset();  // the calendar removed
  EXPECT_TRUE(showsEventually(kFrom, kTo, {}));
}

TEST_F(EdsCalendarStoreTest, FollowsACalendarNamedByItsNameThroughRenames) {
  auto calendar = EdsTestCalendar::create("velto-test-renamed", "Before");
  calendar->add(timedEvent("renamed", "Renamed calendar's", 8, 12));
  open({"eds:Before"});
  ASSERT_EQ(requestAccess(), true);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Renamed calendar's"});
  calendar->rename("After");
  EXPECT_TRUE(showsEventually(kFrom, kTo, {}));
  calendar->rename("Before");
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Renamed calendar's"}));
}

TEST_F(EdsCalendarStoreTest, KeepsTheEventsWhileTheFactoryRestartsAndFollowsItAgain) {
  auto calendar = EdsTestCalendar::create("velto-test-restart", "Restart");
  calendar->add(timedEvent("kept", "Kept", 8, 11));
  open({"eds:Restart"});
  ASSERT_EQ(requestAccess(), true);

  ASSERT_TRUE(EdsSession::get().killCalendarFactory());
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Kept"});
  // Back by D-Bus activation on the store's next call: the reload is one change.
  EXPECT_TRUE(runEventsUntil([&] { return notifications_ > 0; }, kPatience));
  EXPECT_EQ(notificationsOnceQuiet(), 1);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Kept"});

  calendar->reconnect();
  calendar->add(timedEvent("later", "Later", 9, 11));
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Kept", "Later"}));
}

TEST_F(EdsCalendarStoreTest, HoldsTheComingWeeksAndLoadsAnotherTimeOnceAskedFor) {
  auto calendar = EdsTestCalendar::create("velto-test-range", "Range");
  calendar->add(timedEvent("soon", "Soon", 8, 9));
  calendar->add(
      "BEGIN:VEVENT\r\nUID:summer\r\nDTSTART:20270615T090000Z\r\nDURATION:PT1H\r\nSUMMARY:Next summer\r\n"
      "END:VEVENT\r\n");
  open({"eds:Range"});
  ASSERT_EQ(requestAccess(), true);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Soon"});

  // Half a year on, as after a clock set ahead: not held, so asked for.
  const Instant summer = utcTime(2027, 6, 14);
  const Instant summerEnd = utcTime(2027, 6, 18);
  EXPECT_THAT(titles(summer, summerEnd), IsEmpty());
  EXPECT_TRUE(showsEventually(summer, summerEnd, {"Next summer"}));
  EXPECT_EQ(notificationsOnceQuiet(), 1);
}

TEST_F(EdsCalendarStoreTest, AnswersAccessByWhatTheEntriesFind) {
  auto calendar = EdsTestCalendar::create("velto-test-named", "Named");
  const struct {
    const char* what;
    std::vector<std::string> entries;
    bool granted;
    const char* problem;
    std::string module = {};
    // clang-format off
  } cases[] = {
      {"by name", {"eds:Named"}, true, nullptr},
      {"by UID", {"EDS:velto-test-named"}, true, nullptr},
      {"a name nobody has", {"eds:Nobody's"}, false, "Evolution Data Server has no enabled calendar of that name"},
      {"no desktop entries", {"/some/file.ics"}, false, nullptr},
      {"the libecal module missing", {"eds:Named"}, false, "which Velto cannot read here: /nowhere/velto-eds.so",
       "/nowhere/velto-eds.so"},
  };
  // clang-format on
  for (const auto& [what, entries, granted, problem, module] : cases) {
    SCOPED_TRACE(what);
    open(entries, module);
    EXPECT_EQ(requestAccess(), granted);
    if (problem) {
      EXPECT_THAT(problems(), Contains(HasSubstr(problem)));
    }
  }
}

TEST_F(EdsCalendarStoreTest, AsksAgainWhenAccessIsRequestedAgain) {
  open({"eds:Soon"});
  EXPECT_EQ(requestAccess(), false);
  auto calendar = EdsTestCalendar::create("velto-test-soon", "Soon");
  calendar->add(timedEvent("soon", "Soon", 8, 8));
  EXPECT_EQ(requestAccess(), true);
  EXPECT_EQ(titles(kFrom, kTo), Titles{"Soon"});
}

}  // namespace
}  // namespace CorlaMeetings::Testing
