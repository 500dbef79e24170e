#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "Platforms/Qt/QStringPrinting.h"
#include "QtTray/AutostartLoginItem.h"
#include "QtTray/DesktopEntryExec.h"

namespace CorlaMeetings {
namespace {

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

TEST(DesktopEntryExec, QuotesAndEscapesAProgramPathAsDesktopsReadIt) {
  const std::vector<std::pair<QString, QString>> cases = {
      {QStringLiteral("/usr/bin/velto"), QStringLiteral("/usr/bin/velto")},
      {QStringLiteral("/opt/My Apps/velto"), QStringLiteral("\"/opt/My Apps/velto\"")},
      {QStringLiteral("/opt/a$HOME/velto"), QStringLiteral("\"/opt/a\\\\$HOME/velto\"")},
      {QStringLiteral("/opt/a\"b/velto"), QStringLiteral("\"/opt/a\\\\\"b/velto\"")},
      {QStringLiteral("/opt/a`b/velto"), QStringLiteral("\"/opt/a\\\\`b/velto\"")},
      {QStringLiteral("/opt/a\\b/velto"), QStringLiteral("\"/opt/a\\\\\\\\b/velto\"")},
      {QStringLiteral("/opt/it's/velto"), QStringLiteral("\"/opt/it's/velto\"")},
      {QStringLiteral("/opt/100%/velto"), QStringLiteral("/opt/100%%/velto")},
      {QStringLiteral("/opt/100% sure/velto"), QStringLiteral("\"/opt/100%% sure/velto\"")},
      {QStringLiteral("/opt/two\nlines/velto"), QStringLiteral("\"/opt/two\\nlines/velto\"")},
      {QStringLiteral("/opt/Café/velto"), QStringLiteral("/opt/Café/velto")},
  };
  for (const auto& [path, exec] : cases) EXPECT_EQ(desktopEntryExec({path}), exec) << path.toStdString();
  EXPECT_EQ(desktopEntryExec({QStringLiteral("/usr/bin/velto"), QStringLiteral("--tray"), QString()}),
            QStringLiteral("/usr/bin/velto --tray \"\""));
}

class AutostartLoginItemTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home_.isValid()); }

  QString path(const QString& relative) const { return home_.filePath(relative); }

  QTemporaryDir home_;
};

TEST_F(AutostartLoginItemTest, WritesAnEntryThatStartsThisProgramAtLogin) {
  AutostartLoginItem item(path(QStringLiteral("config/autostart")), QStringLiteral("/opt/My Apps/velto"));

  ASSERT_TRUE(item.registerApplication());

  EXPECT_EQ(item.entryPath(), path(QStringLiteral("config/autostart/velto.desktop")));
  EXPECT_EQ(contents(item.entryPath()), QByteArray("[Desktop Entry]\n"
                                                   "Type=Application\n"
                                                   "Name=Velto Meetings Reminder\n"
                                                   "Exec=\"/opt/My Apps/velto\"\n"
                                                   "Icon=velto\n"
                                                   "Terminal=false\n"
                                                   "X-GNOME-Autostart-enabled=true\n"
                                                   "NoDisplay=false\n"));
}

TEST_F(AutostartLoginItemTest, ReplacesAnEarlierEntryWholeAndLeavesNothingElse) {
  QString directory = path(QStringLiteral("autostart"));
  ASSERT_TRUE(QDir().mkpath(directory));
  AutostartLoginItem item(directory, QStringLiteral("/usr/bin/velto"));
  ASSERT_TRUE(writeFile(item.entryPath(), item.entry().toUtf8() + QByteArray(4096, '#')));

  ASSERT_TRUE(item.registerApplication());

  EXPECT_EQ(contents(item.entryPath()), item.entry().toUtf8());
  EXPECT_EQ(QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("velto.desktop")});
}

TEST_F(AutostartLoginItemTest, ReportsAnEntryItCouldNotWrite) {
  // Works as root too: no permission bits involved.
  ASSERT_TRUE(writeFile(path(QStringLiteral("file")), "not a directory"));
  ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("taken/velto.desktop"))));
  struct Case {
    const char* what;
    QString directory;
    QString executable;
  };
  const std::vector<Case> cases = {
      {"directory under a file", path(QStringLiteral("file/autostart")), QStringLiteral("/usr/bin/velto")},
      {"entry name taken by a directory", path(QStringLiteral("taken")), QStringLiteral("/usr/bin/velto")},
      {"relative program path", path(QStringLiteral("a")), QStringLiteral("velto")},
      {"no program path", path(QStringLiteral("b")), QString()},
  };
  for (const Case& c : cases) {
    AutostartLoginItem item(c.directory, c.executable);
    EXPECT_FALSE(item.registerApplication()) << c.what;
    EXPECT_FALSE(QFileInfo(item.entryPath()).isFile()) << c.what;
  }
}

TEST_F(AutostartLoginItemTest, DefaultDirectoryFollowsXdgConfigHome) {
  QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const std::vector<std::pair<QByteArray, QString>> cases = {
      {"/srv/cfg", QStringLiteral("/srv/cfg/autostart")},
      {"", QDir::homePath() + QStringLiteral("/.config/autostart")},
      {"relative/cfg", QDir::homePath() + QStringLiteral("/.config/autostart")},
  };
  for (const auto& [value, directory] : cases) {
    qputenv("XDG_CONFIG_HOME", value);
    EXPECT_EQ(AutostartLoginItem::defaultDirectory(), directory) << value.toStdString();
  }
  if (wasSet) {
    qputenv("XDG_CONFIG_HOME", saved);
  } else {
    qunsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace CorlaMeetings
