#include "Qt/DesktopWorkspace.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "meetings/Url.h"

namespace CorlaMeetings::Testing {
namespace {

// Stand-ins for the desktop's tools, as shell scripts in a scratch folder.
class DesktopWorkspaceTest : public testing::Test {
 protected:
  // Appends its arguments to <name>.log, one a line and "---" after them, then runs `then`.
  QString tool(const QString& name, const QString& then = {}) {
    QFile file(directory_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '%1.log'; echo --- >> '%1.log'\n%2\n")
                   .arg(file.fileName(), then)
                   .toUtf8());
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return file.fileName();
  }

  QString log(const QString& name) const {
    QFile file(directory_.filePath(name + ".log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  bool waitForLog(const QString& name) {
    return runEventsUntil([&] { return log(name).endsWith("---\n"); });
  }

  QTemporaryDir directory_;
};

Url link(const std::string& text) { return Url::parse(text).value_or(*Url::parse("https://parse.failed/")); }

TEST_F(DesktopWorkspaceTest, OpensOnlyWebLinksWithAHostEachAsOneInertArgument) {
  DesktopWorkspace workspace({.urlOpener = tool("open")});
  for (const char* refused : {"javascript:alert(1)", "file:///etc/passwd", "smb://server/share", "mailto:a@example.com",
                              "http:relative/path", "https:///no-host"}) {
    workspace.openURL(link(refused));
  }
  const std::string hostile = "HTTPS://Example.com/j/1;touch%20pwned$(touch%20pwned)?pwd=a'b&&x=1#y";
  workspace.openURL(link(hostile));

  ASSERT_TRUE(waitForLog("open"));
  runEventsFor(50);
  EXPECT_EQ(log("open"), QString::fromStdString(hostile) + "\n---\n");
  EXPECT_FALSE(QFile::exists("pwned"));
  EXPECT_FALSE(QFile::exists(directory_.filePath("pwned")));
}

// The query's answer names what to start: only a plain desktop file name may reach the
// launcher, never an option or a path.
TEST_F(DesktopWorkspaceTest, LaunchesTheCalendarApplicationTheQueryNamesOnlyByAPlainDesktopId) {
  const struct {
    const char* script;
    bool launches;
  } cases[] = {
      {"printf 'org.example.Calendar.desktop\\nsecond line'", true},
      {"printf '%s' --help", false},
      {"printf '../../evil.desktop'", false},
      {"printf '/usr/bin/evil.desktop'", false},
      {"printf 'a b.desktop'", false},
      {"printf ''", false},
      {"echo org.example.Calendar.desktop; exit 3", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    for (const char* name : {"xdg-mime.log", "launch.log"}) QFile::remove(directory_.filePath(name));
    DesktopWorkspace workspace({.mimeQuery = tool("xdg-mime", c.script), .desktopLauncher = tool("launch")});
    workspace.openCalendarApplication();

    ASSERT_TRUE(waitForLog("xdg-mime"));
    EXPECT_EQ(log("xdg-mime"), "query\ndefault\ntext/calendar\n---\n");
    if (c.launches) waitForLog("launch");
    runEventsFor(100);
    EXPECT_EQ(log("launch"), c.launches ? "org.example.Calendar.desktop\n---\n" : "");
  }
}

}  // namespace
}  // namespace CorlaMeetings::Testing
