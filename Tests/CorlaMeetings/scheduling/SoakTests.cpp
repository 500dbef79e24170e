#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <utility>

#include "Simulated/SimulatedPlatform.h"
#include "Support/LocalTime.h"
#include "app/AppDelegate.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings::Testing {
namespace {

// The simulated store, reporting each query first. Only a refresh queries, so this is the
// test's own record of when refreshes happened.
class ObservedCalendarStore : public CalendarStore {
 public:
  ObservedCalendarStore(CalendarStore& store, std::function<void()> onQuery)
      : store_(store), onQuery_(std::move(onQuery)) {}
  void requestAccess(std::function<void(bool)> answer) override { store_.requestAccess(std::move(answer)); }
  std::vector<std::shared_ptr<const CalendarEvent>> events(Instant start, Instant end) override {
    onQuery_();
    return store_.events(start, end);
  }
  void setChangeObserver(std::function<void()> observer) override { store_.setChangeObserver(std::move(observer)); }

 private:
  CalendarStore& store_;
  std::function<void()> onQuery_;
};

struct ObservedRefresh {
  Instant at;
  std::multiset<std::string> newlyDue;
  std::size_t postedBefore;
  bool afterClockJump;
};

// A month of a busy calendar in virtual time, across both test zones' spring clock change:
// meetings added, moved, cancelled and removed every few minutes, the lead time changed now
// and then, the odd suspend and clock fix.
class Soak : public testing::Test {
 protected:
  static constexpr std::int64_t kLeadCycle[] = {15, 1, 3, 5, 10};

  // The oracle, at every query: the meetings of the calendar as it stands that lie in their
  // window 0 < t <= L x 60 under the lead time in force, for the first time under it.
  void recordRefresh() {
    ObservedRefresh refresh{now(), {}, sim.notificationCenter.posted().size(), std::exchange(clockJumped, false)};
    for (const auto& [serial, event] : calendar) {
      const Duration left = event.startDate - refresh.at;
      if (event.isAllDay || left <= 0s || left > std::chrono::minutes(lead())) continue;
      const std::string key = event.eventIdentifier.value_or(*event.title) + "-" + std::to_string(lead());
      if (dueSoFar.insert(key).second) refresh.newlyDue.insert(key);
    }
    refreshes.push_back(std::move(refresh));
  }

  Instant now() const { return sim.clock.now(); }
  std::int64_t lead() const { return kLeadCycle[leadIndex % std::size(kLeadCycle)]; }
  double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
  Duration within(Duration low, Duration high) {
    return Duration(static_cast<Duration::rep>(uniform(low.count(), high.count())));
  }
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  bool chance(double p) { return std::bernoulli_distribution(p)(random); }
  bool busyHours() const {
    const Duration sinceMidnight = now() - LocalCalendar::startOfDay(now());
    return sinceMidnight >= 8h && sinceMidnight < 19h;
  }

  void addMeeting() {
    const int serial = nextSerial++;
    CalendarEvent& event = calendar[serial];
    event.title = "Meeting " + std::to_string(serial);
    if (!chance(0.1)) event.eventIdentifier = "event-" + std::to_string(serial);
    if (chance(0.3)) event.notes = "Join: https://zoom.us/j/" + std::to_string(serial);
    if (chance(0.05)) {
      event.isAllDay = true;
      event.startDate = LocalCalendar::startOfDay(now() + pick(0, 3) * 24h);
      event.endDate = LocalCalendar::addingDays(event.startDate, 1);
    } else {
      // In working hours some start soon, to land in lead windows.
      event.startDate = now() + (busyHours() && chance(0.3) ? within(30s, 40min) : within(-1h, 5 * 24h));
      event.endDate = event.startDate + pick(1, 4) * 15min;
    }
  }

  void editCalendar() {
    const int size = static_cast<int>(calendar.size());
    const int action = size < 2 ? 0 : size > 5 ? 9 : pick(0, 9);
    if (action <= 2) {
      addMeeting();
    } else {
      auto entry = std::next(calendar.begin(), pick(0, size - 1));
      CalendarEvent& event = entry->second;
      const Duration by = chance(0.5) ? within(-20min, 20min) : within(-2h, 24h);
      if (action <= 5) {
        event.startDate += by;
        event.endDate += by;
      } else if (action == 6) {
        // Cancelled meetings stay under a marked title; without an identifier that makes
        // another meeting as far as reminders go.
        if (!event.title->starts_with("Canceled: ")) event.title = "Canceled: " + *event.title;
      } else {
        calendar.erase(entry);
      }
    }
    std::erase_if(calendar, [&](const auto& entry) { return now() - entry.second.endDate > 24h; });
    std::vector<CalendarEvent> events;
    for (const auto& entry : calendar) events.push_back(entry.second);
    sim.calendarStore.replaceEvents(std::move(events));
    sim.calendarStore.postChange();
  }

  void expectBoundedState() {
    ASSERT_EQ(sim.runLoop.liveTimerCount(), 1u);
    ASSERT_LE(sim.runLoop.pendingWorkCount(), 1u);  // the debounced refresh, if any
    ASSERT_EQ(sim.runLoop.pendingTaskCount(), 0u);
    ASSERT_LE(delegate->currentMeetings().size(), calendar.size());
    for (const MeetingItem& item : delegate->currentMeetings()) ASSERT_FALSE(item.event->isAllDay);
  }

  SimulatedPlatform sim{localTime(2026, 3, 1, 7, 0)};
  ObservedCalendarStore store{sim.calendarStore, [this] { recordRefresh(); }};
  Platform platform{sim.application,        sim.clock,       sim.runLoop,   sim.statusItem, store,
                    sim.notificationCenter, sim.preferences, sim.workspace, sim.loginItem};
  std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>(platform);

  std::mt19937 random{20260301};
  std::map<int, CalendarEvent> calendar;  // by serial, which is also the store's order
  int nextSerial = 1;
  std::size_t leadIndex = 0;
  bool clockJumped = false;
  std::set<std::string> dueSoFar;
  std::vector<ObservedRefresh> refreshes;
};

TEST_F(Soak, AMonthOfEditsRemindsEachMeetingOncePerLeadTimeAndStaysBounded) {
  for (int i = 0; i < 10; ++i) editCalendar();
  delegate->applicationDidFinishLaunching();
  sim.runLoop.runUntilIdle();
  const Instant end = now() + 30 * 24h;
  int edits = 0;
  while (now() < end) {
    sim.runLoop.runFor(busyHours() ? within(2min, 10min) : within(15min, 60min));
    ASSERT_NO_FATAL_FAILURE(expectBoundedState());
    // Sometimes a sync writes several changes in a burst, each notified on its own.
    for (int i = 0, burst = chance(0.1) ? pick(2, 5) : 1; i < burst; ++i, ++edits) {
      if (i > 0) sim.runLoop.runFor(within(50ms, 700ms));
      editCalendar();
    }
    if (chance(1.0 / 70)) {
      delegate->cycleReminderClicked();
      ++leadIndex;
    }
    if (chance(1.0 / 50)) sim.runLoop.setTimerLateness(uniform(0, 1));
    // Now and then a suspend, or the clock set back: the wall clock jumps, timers do not.
    const Duration jump = chance(1.0 / 400) ? within(10min, 9h) : chance(1.0 / 800) ? within(-15min, -5s) : 0s;
    if (jump != 0s) {
      sim.clock.jumpWallClock(jump);
      clockJumped = true;
      delegate->systemTimeChanged();
    }
  }
  sim.runLoop.runFor(1s);  // the last change's refresh
  ASSERT_NO_FATAL_FAILURE(expectBoundedState());

  // Each refresh posted exactly the reminders that came due at it, and refreshes never came
  // further apart than the longest period and its tolerance, except across a clock jump.
  const auto& posted = sim.notificationCenter.posted();
  for (std::size_t i = 0; i < refreshes.size(); ++i) {
    const std::size_t until = i + 1 < refreshes.size() ? refreshes[i + 1].postedBefore : posted.size();
    std::multiset<std::string> postedHere;
    for (std::size_t p = refreshes[i].postedBefore; p < until; ++p) postedHere.insert(posted[p].identifier);
    ASSERT_EQ(postedHere, refreshes[i].newlyDue) << "refresh " << i;
    if (i > 0 && !refreshes[i].afterClockJump) {
      ASSERT_LE(refreshes[i].at - refreshes[i - 1].at, 15min + 1min) << "refresh " << i;
    }
  }
  EXPECT_EQ(delegate->remindedKeys(), dueSoFar);
  EXPECT_EQ(delegate->remindedKeys().size(), posted.size());

  // The run was what it claims to be.
  EXPECT_GT(edits, 30 * 100);
  EXPECT_GT(posted.size(), 150u);
  std::set<std::string> leadsUsed;
  for (const auto& request : posted) leadsUsed.insert(request.identifier.substr(request.identifier.rfind('-')));
  EXPECT_EQ(leadsUsed.size(), std::size(kLeadCycle));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
