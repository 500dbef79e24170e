#include <cstdlib>

#include "ICalendar/Store/ICalendarStore.h"
#include "Platforms/ICalendar/Support/LocalHttpServer.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using Titles = std::vector<std::string>;

class SubscriptionTest : public StoreFixture {
 protected:
  static void SetUpTestSuite() {
    // A proxy set for the machine must not come between the fetcher and the local server.
    ::setenv("no_proxy", "127.0.0.1", 1);
    ::setenv("NO_PROXY", "127.0.0.1", 1);
  }

  // A subscription that redirects, as hosted calendars often do, to the standup; with short
  // limits, which keep the failure cases to a second or so.
  void startWithStandup() {
    server.serve("/cal.ics", {.status = 302, .headers = {"Location: " + server.url("/standup.ics")}});
    server.serve("/standup.ics", {.body = calendarText(kStandup), .headers = {"Content-Type: text/calendar"}});
    ICalendarStoreOptions options;
    options.fetch.maxBytes = std::size_t{1} << 20;
    options.fetch.timeout = options.fetch.connectTimeout = std::chrono::milliseconds{1000};
    makeStore({server.url("/cal.ics")}, options);
    ASSERT_TRUE(accessGranted());
    EXPECT_EQ(titles(), Titles{"09:00 Standup"});
  }

  LocalHttpServer server;
};

TEST_F(SubscriptionTest, FetchesAgainWhenAQueryFindsTheCopyStaleAndNotifiesOnlyOfNewContent) {
  startWithStandup();
  clock.advance(299s);
  titles();
  loop.runUntilIdle();
  EXPECT_EQ(server.requests(), 2);  // the redirect and its target

  clock.advance(2s);
  titles();  // the same content again: nothing to tell
  loop.runUntilIdle();
  EXPECT_EQ(server.requests(), 4);
  EXPECT_EQ(changes, 0);

  server.serve("/standup.ics", {.body = calendarText(kPlanning)});
  clock.advance(301s);
  EXPECT_EQ(titles(), Titles{"09:00 Standup"});  // the old copy, at once
  loop.runUntilIdle();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(titlesAtLastChange, Titles{"11:00 Planning"});
}

TEST_F(SubscriptionTest, KeepsTheLastGoodCopyWhenARefetchFails) {
  const std::pair<LocalHttpServer::Response, std::string> cases[] = {
      {{.body = std::string(2 << 20, 'x')}, "larger than 1 MiB"},  // declared
      {{.endless = true}, "larger than 1 MiB"},
      {{.status = 404, .body = "gone"}, "404"},
      {{.body = std::string("\x00\x01\x02 binary", 10)}, "holds no calendar"},
      {{.body = calendarText(kPlanning), .stall = true}, "imed out"},
      {{.status = 302, .headers = {"Location: file://" + (folder / "local.ics")}}, "Protocol \"file\""},
      {{.status = 302, .headers = {"Location: ftp://127.0.0.1:1/cal.ics"}}, "Protocol \"ftp\""},
  };
  for (const auto& [response, reported] : cases) {
    SCOPED_TRACE(reported);
    startWithStandup();
    server.serve("/standup.ics", response);
    clock.advance(301s);
    EXPECT_EQ(titles(), Titles{"09:00 Standup"});
    loop.runUntilIdle();
    EXPECT_GT(problems(reported), 0u);
    EXPECT_EQ(titles(), Titles{"09:00 Standup"});
    EXPECT_EQ(changes, 0);
  }
}

TEST_F(SubscriptionTest, DestroyingTheStoreEndsAStalledFetch) {
  // No limit of the fetch's own ends it: a fetch left running shows as the test's timeout.
  ICalendarStoreOptions options;
  options.fetch.timeout = options.fetch.lowSpeedTime = std::chrono::hours{1};
  server.serve("/slow.ics", {.body = calendarText(kStandup), .stall = true});
  makeStore({server.url("/slow.ics")}, options, {.threads = true});
  store->requestAccess([](bool) {});
  ASSERT_TRUE(eventually([&] { return server.requests() == 1; }, &loop));
  store.reset();
}

}  // namespace
}  // namespace CorlaMeetings::Testing
