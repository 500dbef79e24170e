#include <gtest/gtest.h>

#include <cstdlib>

#include "ICalendar/ICalendarStore.h"
#include "Platforms/ICalendar/Support/LocalHttpServer.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings {
namespace {

using namespace testing_support;
using Response = LocalHttpServer::Response;

class SubscriptionTest : public StoreFixture {
 protected:
  static void SetUpTestSuite() {
    // A proxy set for the machine must not come between the fetcher and the local server.
    ::setenv("no_proxy", "127.0.0.1", 1);
    ::setenv("NO_PROXY", "127.0.0.1", 1);
  }

  // Short limits keep the failure cases to a second or so.
  static ICalendarStoreOptions shortLimits() {
    ICalendarStoreOptions options;
    options.fetch.maxBytes = std::size_t{1} << 20;
    options.fetch.timeout = std::chrono::milliseconds{1000};
    options.fetch.connectTimeout = std::chrono::milliseconds{1000};
    return options;
  }

  void startWith(const std::vector<TestEvent>& events) {
    server.serve("/cal.ics", {.body = calendarText(events), .headers = {"Content-Type: text/calendar"}});
    makeStore({server.url("/cal.ics")}, shortLimits());
    ASSERT_TRUE(accessGranted());
    changes = 0;
  }

  LocalHttpServer server;
};

TEST_F(SubscriptionTest, GrantsAccessFromTheFetchedCalendar) {
  startWith({kStandup, kReview});
  EXPECT_EQ(titles(), (std::vector<std::string>{"09:00 Standup", "13:00 Review"}));
  EXPECT_EQ(server.requestCount("/cal.ics"), 1);
}

TEST_F(SubscriptionTest, FetchesAgainWhenAQueryFindsTheCopyStale) {
  startWith({kStandup});
  server.serve("/cal.ics", {.body = calendarText(kPlanning)});

  clock.advance(299);
  titles();
  std::this_thread::sleep_for(std::chrono::milliseconds{200});
  EXPECT_EQ(server.requestCount("/cal.ics"), 1);

  clock.advance(2);
  EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});  // the old copy, at once
  EXPECT_TRUE(pumpUntil(loop, [&] { return changes == 1; }));
  EXPECT_EQ(titlesAtLastChange, std::vector<std::string>{"11:00 Planning"});
  EXPECT_EQ(server.requestCount("/cal.ics"), 2);
}

TEST_F(SubscriptionTest, AnUnchangedCopyDoesNotNotify) {
  startWith({kStandup});
  clock.advance(301);
  titles();
  ASSERT_TRUE(pumpUntil(loop, [&] { return server.requestCount("/cal.ics") == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds{200});
  loop.runUntilIdle();
  EXPECT_EQ(changes, 0);
}

TEST_F(SubscriptionTest, KeepsTheLastGoodCopyWhenARefetchFails) {
  struct Case {
    const char* what;
    Response response;
    std::string reported;
  };
  const std::string kTwoMiB(2 << 20, 'x');
  const Case cases[] = {
      {"a body declared over the limit", {.body = kTwoMiB}, "larger than 1 MiB"},
      {"a body that streams without end", {.declareLength = false, .endlessChunkBytes = 1 << 16}, "larger than 1 MiB"},
      {"an error status", {.status = 404, .body = "gone"}, "404"},
      {"garbage", {.body = std::string("\x00\x01\x02 binary", 10)}, "holds no calendar"},
      {"a response that stalls", {.body = calendarText(kPlanning), .declareLength = false, .stallBeforeBody = std::chrono::seconds{5}},
       "imed out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    startWith({kStandup});
    std::size_t sentBefore = server.bytesSent();
    server.serve("/cal.ics", c.response);
    clock.advance(301);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});
    EXPECT_TRUE(pumpUntil(loop, [&] { return problems.contains(c.reported); }));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{3});
    EXPECT_LT(server.bytesSent() - sentBefore, std::size_t{8} << 20);
    EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});
    EXPECT_EQ(changes, 0);
  }
}

TEST_F(SubscriptionTest, FollowsRedirectsOnlyToWebAddresses) {
  writeFile(folder / "local.ics", calendarText(kStandup));
  server.serve("/cal.ics", {.body = calendarText(kReview)});
  struct Case {
    const char* what;
    std::string location;
    bool granted;
    std::string reported;
  };
  const Case cases[] = {
      {"http on the same server", server.url("/cal.ics"), true, ""},
      {"a local file", "file://" + (folder / "local.ics"), false, "Protocol \"file\""},
      {"ftp", "ftp://127.0.0.1:1/cal.ics", false, "Protocol \"ftp\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    server.serve("/moved.ics", {.status = 302, .headers = {"Location: " + c.location}});
    makeStore({server.url("/moved.ics")}, shortLimits());
    EXPECT_EQ(accessGranted(), c.granted);
    EXPECT_EQ(titles().empty(), !c.granted);
    if (!c.reported.empty()) {
      EXPECT_TRUE(problems.contains(c.reported));
    }
  }
}

TEST_F(SubscriptionTest, DestroyingTheStoreEndsAStalledFetchAtOnce) {
  server.serve("/slow.ics", {.body = calendarText(kStandup), .stallBeforeBody = std::chrono::seconds{20}});
  makeStore({server.url("/slow.ics")});  // the default limits: 30 seconds
  store->requestAccess([](bool) {});
  ASSERT_TRUE(pumpUntil(loop, [&] { return server.requestCount("/slow.ics") == 1; }));
  auto started = std::chrono::steady_clock::now();
  store.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{1});
}

}  // namespace
}  // namespace CorlaMeetings
