#include <gmock/gmock.h>

#include <QProcess>

#include "Platforms/EDS/Support/EdsSession.h"
#include "Platforms/EDS/Support/EdsTestCalendar.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"

namespace CorlaMeetings::Testing {
namespace {

const char* kWeek = VELTO_FIXTURES_DIR "/eds/week.ics";

struct Printed {
  std::string output;
  std::string problems;  // standard error
};

// `velto --print` with these arguments on the session's bus, under faketime (velto only:
// EDS runs on the real clock).
Printed printedBy(const QStringList& arguments, const char* extraVariable = nullptr) {
  QProcessEnvironment environment = EdsSession::get().environment();
  if (extraVariable)
    environment.insert(QString(extraVariable).section('=', 0, 0), QString(extraVariable).section('=', 1));
  environment.insert("TZ", "Europe/Berlin");
  environment.insert("LANG", "en_US.UTF-8");
  environment.insert("LC_ALL", "en_US.UTF-8");
  environment.insert("DONT_FAKE_MONOTONIC", "1");
  environment.insert("FAKETIME_DONT_RESET", "1");
  QProcess velto;
  velto.setProcessEnvironment(environment);
  velto.setProcessChannelMode(QProcess::SeparateChannels);
  velto.start("faketime", QStringList{"-f", "@2026-12-07 09:49:30", VELTO_PROGRAM, "--print"} + arguments);
  EXPECT_TRUE(velto.waitForFinished(60000)) << "velto did not finish";
  Printed printed{velto.readAllStandardOutput().toStdString(), velto.readAllStandardError().toStdString()};
  EXPECT_EQ(velto.exitCode(), 0) << printed.problems;
  return printed;
}

TEST(VeltoPrint, ShowsTheDesktopCalendarsAsItShowsTheSameFile) {
  ASSERT_TRUE(EdsSession::get().ready());
  auto calendar = EdsTestCalendar::create("velto-test-print", "Print");
  calendar->import(fileText(kWeek));

  const std::string fromFile = printedBy({"--calendar", kWeek}).output;
  EXPECT_THAT(fromFile, AllOf(HasSubstr("Daily standup (moved)"), HasSubstr("Design review"),
                              HasSubstr("Call with Kathmandu"), Not(HasSubstr("Offsite"))));
  Printed named = printedBy({"--calendar", "eds:"});
  EXPECT_EQ(named.output, fromFile) << named.problems;
  // No --calendar and no list: the desktop's calendars, since the service is on the bus.
  Printed byDefault = printedBy({});
  EXPECT_EQ(byDefault.output, fromFile) << byDefault.problems;
  // With a Qt event loop that does not run GLib's main context, a timer runs it.
  Printed withoutGLibLoop = printedBy({"--calendar", "eds:"}, "QT_NO_GLIB=1");
  EXPECT_EQ(withoutGLibLoop.output, fromFile) << withoutGLibLoop.problems;
}

}  // namespace
}  // namespace CorlaMeetings::Testing
