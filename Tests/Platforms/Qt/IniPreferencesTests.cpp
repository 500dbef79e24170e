#include "Qt/IniPreferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings::Testing {
namespace {

class IniPreferencesTest : public testing::Test {
 protected:
  // Inside a folder that does not exist yet, as on a first launch.
  QString path() const { return directory_.filePath("velto/velto.ini"); }

  void writeFile(std::string_view contents) {
    QDir().mkpath(directory_.filePath("velto"));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents.data(), static_cast<qint64>(contents.size()));
  }

  QByteArray fileContents() const {
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir directory_;
};

TEST_F(IniPreferencesTest, ValuesLastAcrossLaunchesInAFileOfTheirOwn) {
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
  // Written through a temporary file that leaves nothing behind.
  EXPECT_EQ(QDir(directory_.filePath("velto")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"velto.ini"});
  relaunched.setInteger("reminderMinutes", std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(IniPreferences(path()).integerForKey("reminderMinutes"), std::numeric_limits<std::int64_t>::min());
}

// A file edited by hand, or by something else, never stops a launch.
TEST_F(IniPreferencesTest, ReadsWhatItCanAndTakesTheRestAsAbsent) {
  using namespace std::literals;
  const struct {
    std::string_view file;
    std::int64_t reminderMinutes;
    bool didConfigure;
  } cases[] = {
      {"reminderMinutes = 5\r\ndidConfigureOpenAtLogin = TRUE\r\n", 5, true},  // no section, CRLF, blanks
      {"[General]\nreminderMinutes=5m\ndidConfigureOpenAtLogin=maybe\n", 0, false},
      {"[General]\nreminderMinutes=false\ndidConfigureOpenAtLogin=1\n", 0, true},  // either type reads as the other
      {"\x00\xff\xfe garbage\n[General\nreminderMinutes=7\n"sv, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file));
    writeFile(c.file);
    IniPreferences preferences(path());
    EXPECT_EQ(preferences.integerForKey("reminderMinutes"), c.reminderMinutes);
    EXPECT_EQ(preferences.boolForKey("didConfigureOpenAtLogin"), c.didConfigure);
  }
  IniPreferences(path()).setInteger("reminderMinutes", 1);  // the next write repairs the file
  EXPECT_EQ(IniPreferences(path()).integerForKey("reminderMinutes"), 1);
}

TEST_F(IniPreferencesTest, ReadOnlyModeReadsTheFileAndWritesNothing) {
  IniPreferences withoutFile(path(), IniPreferences::Mode::ReadOnly);
  withoutFile.setBool("didConfigureOpenAtLogin", true);
  EXPECT_TRUE(withoutFile.boolForKey("didConfigureOpenAtLogin"));
  EXPECT_FALSE(QDir(directory_.filePath("velto")).exists());

  writeFile("[General]\nreminderMinutes=5\n");
  IniPreferences readOnly(path(), IniPreferences::Mode::ReadOnly);
  EXPECT_EQ(readOnly.integerForKey("reminderMinutes"), 5);
  readOnly.setInteger("reminderMinutes", 10);
  EXPECT_EQ(readOnly.integerForKey("reminderMinutes"), 10);
  EXPECT_EQ(fileContents(), "[General]\nreminderMinutes=5\n");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
