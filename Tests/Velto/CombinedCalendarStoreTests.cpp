#include "CombinedCalendarStore.h"

#include <gtest/gtest.h>

#include <optional>

#include "Simulated/SimulatedCalendarStore.h"
#include "Simulated/SimulatedClock.h"
#include "Simulated/SimulatedRunLoop.h"

namespace CorlaMeetings::Testing {
namespace {

class CombinedCalendarStoreTest : public testing::Test {
 protected:
  CalendarEvent titled(const char* title) {
    CalendarEvent event;
    event.title = title;
    event.startDate = clock.now();
    event.endDate = clock.now() + std::chrono::minutes(30);
    return event;
  }

  SimulatedClock clock{Instant{std::chrono::hours(24 * 365 * 56)}};
  SimulatedRunLoop runLoop{clock};
  SimulatedCalendarStore files{runLoop};
  SimulatedCalendarStore desktop{runLoop};
  CombinedCalendarStore store{{&files, &desktop}};
};

TEST_F(CombinedCalendarStoreTest, GrantsAccessWhenAnyStoreDoesOnceAllHaveAnswered) {
  const std::tuple<bool, bool, bool> cases[] = {{false, false, false}, {true, false, true}, {false, true, true}};
  for (const auto& [filesGrant, desktopGrants, granted] : cases) {
    SCOPED_TRACE(testing::Message() << filesGrant << desktopGrants);
    files.answerAccessWith(filesGrant);
    desktop.holdAccessRequests();
    std::optional<bool> answer;
    store.requestAccess([&answer](bool given) { answer = given; });
    runLoop.runUntilIdle();
    EXPECT_FALSE(answer.has_value());  // the desktop's calendars still loading
    desktop.answerPendingAccessRequests(desktopGrants);
    EXPECT_EQ(answer, granted);
  }
  // Refused access is asked again by itself only where no store would ask a person.
  files.setAskingAgainIsFree(true);
  EXPECT_FALSE(store.askingAgainIsFree());
  desktop.setAskingAgainIsFree(true);
  EXPECT_TRUE(store.askingAgainIsFree());
}

TEST_F(CombinedCalendarStoreTest, ShowsTheEventsOfEveryStoreAndTheirChanges) {
  files.addEvent(titled("From a file"));
  desktop.addEvent(titled("From the desktop"));
  std::vector<std::string> titles;
  for (const auto& event : store.events(clock.now(), clock.now() + std::chrono::hours(1)))
    titles.push_back(*event->title);
  EXPECT_EQ(titles, (std::vector<std::string>{"From a file", "From the desktop"}));

  int changes = 0;
  store.setChangeObserver([&changes] { ++changes; });
  files.postChange();
  desktop.postChange();
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace CorlaMeetings::Testing
