#include "Qt/DesktopWorkspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platforms/Qt/EventLoopSupport.h"
#include "Platforms/Qt/QStringPrinting.h"
#include "meetings/Url.h"

namespace CorlaMeetings {
namespace {

// Stand-ins for the desktop's tools, as shell scripts in a scratch folder. A recorder
// appends its arguments to <name>.log, one a line, and a "---" line after each call.
class DesktopWorkspaceTest : public testing::Test {
 protected:
  QString script(const QString& name, const QString& body) {
    QString path = directory_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
  }

  QString recorder(const QString& name) {
    QString log = directory_.filePath(name + ".log");
    return script(name, QStringLiteral("printf '%s\\n' \"$@\" >> '%1'; echo --- >> '%1'").arg(log));
  }

  // A query tool that prints `answer` and leaves a mark that it ran.
  QString mimeQuery(const QString& answer) {
    return script("xdg-mime", QStringLiteral("printf '%s' '%1'; touch '%2'").arg(answer, directory_.filePath("asked")));
  }

  QString log(const QString& name) const {
    QFile file(directory_.filePath(name + ".log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  bool waitForLog(const QString& name) {
    return runEventsUntil([&] { return log(name).endsWith("---\n"); });
  }

  QString missing() const { return directory_.filePath("no-such-tool"); }

  QTemporaryDir directory_;
};

Url link(const std::string& text) {
  std::optional<Url> url = Url::parse(text);
  EXPECT_TRUE(url) << text;
  return url.value_or(*Url::parse("https://invalid.example"));
}

TEST_F(DesktopWorkspaceTest, RefusesEverythingButWebLinksWithAHost) {
  DesktopWorkspace workspace({.urlOpener = recorder("open")});
  for (const char* refused : {"javascript:alert(1)", "file:///etc/passwd", "smb://server/share", "mailto:a@example.com",
                              "ftp://example.com/x", "http:relative/path", "https:///no-host"}) {
    workspace.openURL(link(refused));
  }
  workspace.openURL(link("https://example.com/ok"));

  ASSERT_TRUE(waitForLog("open"));
  EXPECT_EQ(log("open"), "https://example.com/ok\n---\n");
}

TEST_F(DesktopWorkspaceTest, HandsTheLinkToTheOpenerAsOneInertArgument) {
  const std::vector<std::string> links = {
      "https://example.com/j/1;touch%20pwned",
      "http://example.com/$(touch%20pwned)?a=1&b=2#x",
      "HTTPS://Example.com/join?pwd=a'b&&touch%20pwned",
  };
  DesktopWorkspace workspace({.urlOpener = recorder("open")});
  for (const std::string& text : links) {
    QFile::remove(directory_.filePath("open.log"));
    workspace.openURL(link(text));
    ASSERT_TRUE(waitForLog("open")) << text;
    EXPECT_EQ(log("open"), QString::fromStdString(text) + "\n---\n");
  }
  EXPECT_FALSE(QFile::exists("pwned"));
  EXPECT_FALSE(QFile::exists(directory_.filePath("pwned")));
}

TEST_F(DesktopWorkspaceTest, LaunchesTheDefaultCalendarApplication) {
  DesktopWorkspace workspace({.mimeQuery = mimeQuery("org.example.Calendar.desktop\n"),
                              .desktopLauncher = recorder("launch")});
  workspace.openCalendarApplication();

  ASSERT_TRUE(waitForLog("launch"));
  EXPECT_EQ(log("launch"), "org.example.Calendar.desktop\n---\n");
}

TEST_F(DesktopWorkspaceTest, LaunchesTheDesktopFileWithGioWhenTheLauncherIsMissing) {
  const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
  QDir().mkpath(directory_.filePath("data/applications"));
  QFile desktopFile(directory_.filePath("data/applications/org.example.Calendar.desktop"));
  ASSERT_TRUE(desktopFile.open(QIODevice::WriteOnly));
  desktopFile.close();
  qputenv("XDG_DATA_HOME", directory_.filePath("data").toUtf8());

  DesktopWorkspace workspace({.mimeQuery = mimeQuery("org.example.Calendar.desktop"),
                              .desktopLauncher = missing(),
                              .gio = recorder("gio")});
  workspace.openCalendarApplication();
  bool launched = waitForLog("gio");
  qputenv("XDG_DATA_HOME", savedDataHome);

  ASSERT_TRUE(launched);
  EXPECT_EQ(log("gio"), "launch\n" + desktopFile.fileName() + "\n---\n");
}

TEST_F(DesktopWorkspaceTest, LaunchesNothingWithoutAPlainDesktopId) {
  for (const char* answer : {"", "\n", "--help", "-x.desktop", "../../evil.desktop", "/usr/bin/evil.desktop",
                             "evil", "a b.desktop"}) {
    QFile::remove(directory_.filePath("asked"));
    DesktopWorkspace workspace({.mimeQuery = mimeQuery(answer), .desktopLauncher = recorder("launch")});
    workspace.openCalendarApplication();
    ASSERT_TRUE(runEventsUntil([&] { return QFile::exists(directory_.filePath("asked")); })) << answer;
    runEventsFor(100);
    EXPECT_EQ(log("launch"), "") << answer;
  }
}

TEST_F(DesktopWorkspaceTest, FailingOrMissingToolsAreSilent) {
  DesktopWorkspace({.urlOpener = missing()}).openURL(link("https://example.com/"));

  for (const QString& query : {script("xdg-mime", "echo org.example.Calendar.desktop; exit 3"), missing()}) {
    DesktopWorkspace workspace({.mimeQuery = query, .desktopLauncher = recorder("launch")});
    workspace.openCalendarApplication();
    runEventsFor(200);
    EXPECT_EQ(log("launch"), "");
  }
}

}  // namespace
}  // namespace CorlaMeetings
