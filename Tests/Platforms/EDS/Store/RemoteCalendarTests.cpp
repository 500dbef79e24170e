#include <gmock/gmock.h>

#include "Platforms/EDS/Support/CalDavServer.h"
#include "Platforms/EDS/Support/EdsStoreFixture.h"
#include "Platforms/EDS/Support/EdsTestCalendar.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

using Titles = std::vector<std::string>;

const Instant kFrom = utcTime(2026, 12, 7);
const Instant kTo = utcTime(2026, 12, 11);

std::string meeting(const std::string& uid, const std::string& title) {
  return calendarWith(event("UID:" + uid + "\nDTSTART:20261208T100000Z\nDURATION:PT1H\nSUMMARY:" + title));
}

using RemoteCalendarTest = EdsStoreFixture;

TEST_F(RemoteCalendarTest, FollowsACalDavCalendarAndKeepsItsEventsWhenTheServerIsGone) {
  storeWorkOnLoop_ = false;  // as the program runs it
  CalDavServer server;
  ASSERT_TRUE(server.running()) << "radicale did not start";
  server.put("first.ics", meeting("first", "Remote meeting"));
  auto calendar = EdsTestCalendar::createCalDav("velto-test-caldav", "Remote", server.calendarUrl());
  open({"eds:Remote"});
  ASSERT_EQ(requestAccess(), true);
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Remote meeting"}));

  server.put("second.ics", meeting("second", "Added on the server"));
  calendar->refresh();
  EXPECT_TRUE(showsEventually(kFrom, kTo, {"Added on the server", "Remote meeting"}));

  // Offline, and the factory gone too: it comes back and opens the calendar from its cache.
  server.stop();
  int before = notificationsOnceQuiet();
  ASSERT_TRUE(EdsSession::get().killCalendarFactory());
  EXPECT_TRUE(runEventsUntil([&] { return notifications_ > before; }, kPatience));
  EXPECT_EQ(titles(kFrom, kTo), (Titles{"Added on the server", "Remote meeting"}));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
