#include "Qt/IniPreferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings {
namespace {

class IniPreferencesTest : public testing::Test {
 protected:
  // Inside a folder that does not exist yet, as on a first launch.
  QString path() const { return directory_.filePath("velto/velto.ini"); }

  void writeFile(const QByteArray& contents) {
    QDir().mkpath(directory_.filePath("velto"));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
  }

  QByteArray fileContents() const {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir directory_;
};

TEST_F(IniPreferencesTest, ValuesLastAcrossInstancesInAFileOfTwoKeys) {
  {
    IniPreferences preferences(path());
    EXPECT_EQ(preferences.integerForKey("reminderMinutes"), 0);
    EXPECT_FALSE(preferences.boolForKey("didConfigureOpenAtLogin"));
    preferences.setInteger("reminderMinutes", 3);
    preferences.setBool("didConfigureOpenAtLogin", true);
    preferences.setInteger("reminderMinutes", 10);
  }
  IniPreferences relaunched(path());
  EXPECT_EQ(relaunched.integerForKey("reminderMinutes"), 10);
  EXPECT_TRUE(relaunched.boolForKey("didConfigureOpenAtLogin"));
  EXPECT_EQ(fileContents(), "[General]\ndidConfigureOpenAtLogin=true\nreminderMinutes=10\n");

  for (std::int64_t value : {std::int64_t{-5}, std::numeric_limits<std::int64_t>::min(),
                             std::numeric_limits<std::int64_t>::max()}) {
    relaunched.setInteger("reminderMinutes", value);
    EXPECT_EQ(IniPreferences(path()).integerForKey("reminderMinutes"), value);
  }
}

TEST_F(IniPreferencesTest, WritingLeavesOnlyTheFileBehind) {
  IniPreferences preferences(path());
  for (int minutes : {1, 3, 5, 10, 15}) preferences.setInteger("reminderMinutes", minutes);

  EXPECT_EQ(QDir(directory_.filePath("velto")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"velto.ini"});
}

TEST_F(IniPreferencesTest, ReadsWhatItCanAndTakesTheRestAsAbsent) {
  using namespace std::literals;
  struct Case {
    std::string_view file;
    std::int64_t reminderMinutes;
    bool didConfigure;
  };
  const std::vector<Case> cases = {
      {"[General]\nreminderMinutes=5\ndidConfigureOpenAtLogin=true\n", 5, true},
      {"reminderMinutes = 5\r\ndidConfigureOpenAtLogin = TRUE\r\n", 5, true},  // no section, CRLF, blanks
      {"[General]\nreminderMinutes=five\ndidConfigureOpenAtLogin=maybe\n", 0, false},
      {"[General]\nreminderMinutes=5m\ndidConfigureOpenAtLogin=\n", 0, false},
      {"[General]\nreminderMinutes=99999999999999999999\n", 0, false},  // beyond 64 bits
      {"[General]\nreminderMinutes=+5\ndidConfigureOpenAtLogin=yes\n", 0, false},
      {"[General]\nreminderMinutes=false\ndidConfigureOpenAtLogin=1\n", 0, true},  // either type reads as the other
      {"[Other]\nreminderMinutes=5\ndidConfigureOpenAtLogin=true\n", 0, false},
      {"; reminderMinutes=5\n# didConfigureOpenAtLogin=true\nnonsense\n=3\n", 0, false},
      {"\x00\xff\xfe garbage\n[General\nreminderMinutes=7\n"sv, 0, false},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file));
    writeFile(QByteArray(c.file.data(), static_cast<qsizetype>(c.file.size())));
    IniPreferences preferences(path());
    EXPECT_EQ(preferences.integerForKey("reminderMinutes"), c.reminderMinutes);
    EXPECT_EQ(preferences.boolForKey("didConfigureOpenAtLogin"), c.didConfigure);
  }
}

TEST_F(IniPreferencesTest, MalformedValueIsReplacedByTheNextWrite) {
  writeFile("[General]\nreminderMinutes=lots\n");
  IniPreferences preferences(path());
  preferences.setInteger("reminderMinutes", 1);

  EXPECT_EQ(IniPreferences(path()).integerForKey("reminderMinutes"), 1);
}

TEST_F(IniPreferencesTest, ReadOnlyModeReadsTheFileAndWritesNothing) {
  IniPreferences readOnlyWithoutFile(path(), IniPreferences::Mode::ReadOnly);
  readOnlyWithoutFile.setBool("didConfigureOpenAtLogin", true);
  EXPECT_TRUE(readOnlyWithoutFile.boolForKey("didConfigureOpenAtLogin"));
  EXPECT_FALSE(QDir(directory_.filePath("velto")).exists());

  const QByteArray original = "[General]\nreminderMinutes=5\n";
  writeFile(original);
  IniPreferences readOnly(path(), IniPreferences::Mode::ReadOnly);
  EXPECT_EQ(readOnly.integerForKey("reminderMinutes"), 5);
  readOnly.setInteger("reminderMinutes", 10);
  EXPECT_EQ(readOnly.integerForKey("reminderMinutes"), 10);
  EXPECT_EQ(fileContents(), original);
}

TEST_F(IniPreferencesTest, UnwritableLocationKeepsTheValueForTheRun) {
  IniPreferences preferences("/dev/null/velto/velto.ini");
  preferences.setInteger("reminderMinutes", 5);

  EXPECT_EQ(preferences.integerForKey("reminderMinutes"), 5);
}

TEST(IniPreferencesDefaultPath, FollowsAnAbsoluteXdgConfigHomeElseTheHomeFolder) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QString fallback = QDir::homePath() + "/.config/velto/velto.ini";
  struct Case {
    std::optional<const char*> configHome;
    QString expected;
  };
  const std::vector<Case> cases = {
      {"/tmp/config", "/tmp/config/velto/velto.ini"},
      {"relative/config", fallback},
      {"", fallback},
      {std::nullopt, fallback},
  };
  for (const Case& c : cases) {
    if (c.configHome) {
      qputenv("XDG_CONFIG_HOME", *c.configHome);
    } else {
      qunsetenv("XDG_CONFIG_HOME");
    }
    EXPECT_EQ(IniPreferences::defaultPath(), c.expected) << c.configHome.value_or("(unset)");
  }
  if (wasSet) {
    qputenv("XDG_CONFIG_HOME", saved);
  } else {
    qunsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace CorlaMeetings
