#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using namespace std::chrono_literals;

const TestEvent kFar{"far@test", "Far", "20300201T090000Z", "20300201T100000Z"};
const Instant kFarDay = kDay + std::chrono::days(31);

// Root may write anywhere: a thread without that power stands in for a user, and the
// threads it starts inherit the loss.
void withoutOverridingPermissions(const std::function<void()>& work) {
  std::thread([&] {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    ASSERT_EQ(::syscall(SYS_capget, &header, data), 0);
    data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    ASSERT_EQ(::syscall(SYS_capset, &header, data), 0);
    work();
  }).join();
}

class StartupIndexStoreTest : public StoreFixture {
 protected:
  void SetUp() override {
    files->write(folder / "calendars/standup.ics", calendarText(kStandup));
    files->write(folder / "calendars/far.ics", calendarText(kFar));
  }

  ICalendarStoreOptions withIndex(std::chrono::milliseconds completeAfter = 0ms) {
    ICalendarStoreOptions options;
    options.index = {folder / "cache", "this build", 0s, 0, completeAfter};
    return options;
  }

  // A first start, which leaves its index behind.
  void startOnce() {
    makeStore({folder / "calendars"}, withIndex());
    ASSERT_TRUE(accessGranted());
    store.reset();
  }

  std::size_t eventsOnTheFarDay() { return store->events(kFarDay, kFarDay + std::chrono::days(1)).size(); }
};

TEST_F(StartupIndexStoreTest, StartsFromTheIndexAndTellsOnlyOfRealChanges) {
  startOnce();
  makeStore({folder / "calendars"}, withIndex());
  ASSERT_TRUE(accessGranted());
  EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});
  ASSERT_TRUE(accessGranted());  // by now the rest is read too
  EXPECT_EQ(eventsOnTheFarDay(), 1u);
  EXPECT_EQ(changes, 0);

  files->replace(folder / "calendars/standup.ics", calendarText(kPlanning));
  loop.runUntilIdle();
  ASSERT_EQ(changes, 1);
  EXPECT_EQ(titlesAtLastChange, std::vector<std::string>{"11:00 Planning"});
}

TEST_F(StartupIndexStoreTest, QueryBeyondTheStartupDaysIsToldWhenTheRestIsRead) {
  startOnce();
  makeStore({folder / "calendars"}, withIndex(1h));
  ASSERT_TRUE(accessGranted());
  EXPECT_EQ(eventsOnTheFarDay(), 0u);  // not read yet

  ASSERT_TRUE(accessGranted());  // which reads everything
  ASSERT_EQ(changes, 1);
  EXPECT_EQ(eventsOnTheFarDay(), 1u);
}

TEST_F(StartupIndexStoreTest, ReadOnlyCacheFolderCostsOnlySpeed) {
  std::filesystem::create_directories(folder / "cache");
  ::chmod((folder / "cache").c_str(), 0555);
  // On threads of their own, which inherit the loss.
  withoutOverridingPermissions([&] { makeStore({folder / "calendars"}, withIndex(), {.threads = true}); });
  ASSERT_TRUE(accessGranted());
  EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});

  files->replace(folder / "calendars/standup.ics", calendarText(kPlanning));
  ASSERT_TRUE(eventually([&] { return changes == 1; }, &loop));
  EXPECT_EQ(problems("start-up index not saved"), 1u);
  EXPECT_TRUE(std::filesystem::is_empty(folder / "cache"));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
