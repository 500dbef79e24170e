#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "Platforms/Qt/QStringPrinting.h"
#include "Qt/IniPreferences.h"
#include "QtTray/AutostartLoginItem.h"

namespace CorlaMeetings::Testing {
namespace {

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(AutostartLoginItem, WritesAWholeEntryThatStartsThisProgramAtLogin) {
  QTemporaryDir home;
  const QString directory = home.filePath("config/autostart");
  AutostartLoginItem item(directory, "/opt/My Apps/velto");
  ASSERT_TRUE(QDir().mkpath(directory));
  QFile earlier(item.entryPath());  // a longer one from before: replaced whole
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write(QByteArray(4096, '#')) == 4096);
  earlier.close();

  ASSERT_TRUE(item.registerApplication());

  EXPECT_EQ(item.entryPath(), home.filePath("config/autostart/velto.desktop"));
  EXPECT_EQ(contents(item.entryPath()), QByteArray("[Desktop Entry]\n"
                                                   "Type=Application\n"
                                                   "Name=Velto Meetings Reminder\n"
                                                   "Exec=\"/opt/My Apps/velto\"\n"
                                                   "Icon=velto\n"
                                                   "Terminal=false\n"
                                                   "X-GNOME-Autostart-enabled=true\n"
                                                   "NoDisplay=false\n"));
  EXPECT_EQ(QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"velto.desktop"});
}

// Autostart runs in another folder, and the Exec value goes through two rounds of
// unescaping: each source must come out as the one argument it was.
TEST(AutostartLoginItem, CarriesTheCalendarsOfThisLaunchWithRelativePathsMadeAbsolute) {
  QTemporaryDir work;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(work.path()));
  const QString here = QDir::currentPath();
  AutostartLoginItem item(work.filePath("autostart"), "/usr/bin/velto",
                          {"cal dir/it's \"work\".ics", "100%.ics", "../shared/x.ics", "/abs/cal.ics",
                           "https://x.example/c.ics?token=a%20b&x=$y", "eds:calendar-1", "~/Calendars/w.ics"});
  QDir::setCurrent(previous);

  const QString parent = QFileInfo(here).path();
  const QString exec =
      R"(Exec=/usr/bin/velto --calendar ")" + here + R"(/cal dir/it's \\"work\\".ics")" + " --calendar " + here +
      "/100%%.ics --calendar " + parent +
      R"(/shared/x.ics --calendar /abs/cal.ics --calendar "https://x.example/c.ics?token=a%%20b&x=\\$y")"
      R"( --calendar eds:calendar-1 --calendar "~/Calendars/w.ics")"
      "\n";
  EXPECT_TRUE(item.entry().contains(exec)) << item.entry().toStdString();
}

TEST(AutostartLoginItem, ReportsAnEntryItCouldNotWrite) {
  QTemporaryDir home;
  ASSERT_TRUE(QDir().mkpath(home.filePath("taken/velto.desktop")));
  const std::vector<std::pair<QString, QString>> cases = {
      {home.filePath("taken"), "/usr/bin/velto"},  // the entry's name is a directory's
      {home.filePath("a"), "velto"},               // a relative path would run whatever lies there at login
  };
  for (const auto& [directory, executable] : cases) {
    AutostartLoginItem item(directory, executable);
    EXPECT_FALSE(item.registerApplication()) << directory.toStdString();
    EXPECT_FALSE(QFileInfo(item.entryPath()).isFile()) << directory.toStdString();
  }
}

// A relative XDG_CONFIG_HOME would depend on where the program was started.
TEST(XdgConfigHome, PlacesTheEntryAndThePreferencesUnderAnAbsoluteOneOnly) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QString fallback = QDir::homePath() + "/.config";
  for (const auto& [value, configHome] : std::vector<std::pair<QByteArray, QString>>{
           {"/srv/cfg", "/srv/cfg"}, {"", fallback}, {"relative/cfg", fallback}}) {
    qputenv("XDG_CONFIG_HOME", value);
    EXPECT_EQ(AutostartLoginItem::defaultDirectory(), configHome + "/autostart");
    EXPECT_EQ(IniPreferences::defaultPath(), configHome + "/velto/velto.ini");
  }
  wasSet ? qputenv("XDG_CONFIG_HOME", saved) : qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
