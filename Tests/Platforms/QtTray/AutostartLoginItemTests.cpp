#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "Platforms/Qt/QStringPrinting.h"
#include "Qt/IniPreferences.h"
#include "QtTray/AutostartLoginItem.h"

namespace CorlaMeetings {
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

TEST(AutostartLoginItem, ReportsAnEntryItCouldNotWrite) {
  QTemporaryDir home;
  ASSERT_TRUE(QDir().mkpath(home.filePath("taken/velto.desktop")));
  const std::vector<std::pair<QString, QString>> cases = {
      {home.filePath("taken"), "/usr/bin/velto"},  // the entry's name is a directory's
      {home.filePath("a"), "velto"},  // a relative path would run whatever lies there at login
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
  for (const auto& [value, configHome] :
       std::vector<std::pair<QByteArray, QString>>{{"/srv/cfg", "/srv/cfg"}, {"", fallback}, {"relative/cfg", fallback}}) {
    qputenv("XDG_CONFIG_HOME", value);
    EXPECT_EQ(AutostartLoginItem::defaultDirectory(), configHome + "/autostart");
    EXPECT_EQ(IniPreferences::defaultPath(), configHome + "/velto/velto.ini");
  }
  wasSet ? qputenv("XDG_CONFIG_HOME", saved) : qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace CorlaMeetings
