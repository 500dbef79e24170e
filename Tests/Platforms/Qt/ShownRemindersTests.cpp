#include "Qt/ShownReminders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Platforms/Qt/QStringPrinting.h"

namespace CorlaMeetings::Testing {
namespace {

using Shown = ShownReminders::Shown;

const QString kDigestA = QString(64, u'a');

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

class ShownRemindersTest : public testing::Test {
 protected:
  QTemporaryDir runtime_;
  QString path_ = runtime_.filePath("velto/shown-reminders");
  ShownReminders shown_{path_};
};

// Keys are event identifiers: any bytes, any length.
TEST_F(ShownRemindersTest, KeepsTheLatestNotificationOfEachKeyInAPrivateFolder) {
  const std::string hostile = std::string("a\nb c\r\0d", 8) + std::string(100000, 'x') + "-15";
  shown_.record(hostile, {":1.7", 3, ":1.9"});
  shown_.record("plain-15", {":1.7", 4, ":1.9"});
  shown_.record(hostile, {":1.7", 5, ":1.12"});
  shown_.record("other-15", {":1.7", 4, ":1.12"});  // the server gave id 4 again: a new one

  ShownReminders later(path_);  // another process, or a restarted one
  EXPECT_EQ(later.find(hostile), (Shown{":1.7", 5, ":1.12"}));
  EXPECT_EQ(later.find("plain-15"), std::nullopt);
  EXPECT_EQ(later.find("other-15"), (Shown{":1.7", 4, ":1.12"}));
  EXPECT_EQ(later.find("never-15"), std::nullopt);
  EXPECT_EQ(later.findNotification(":1.7", 5), (Shown{":1.7", 5, ":1.12"}));
  EXPECT_EQ(later.findNotification(":1.8", 5), std::nullopt);

  EXPECT_EQ(contents(path_).count('\n'), 3);  // the header and two entries, whatever the keys
  // rwx for the owner (0x7000), nothing for group and others (0x0077).
  EXPECT_EQ(QFileInfo(runtime_.filePath("velto")).permissions().toInt() & 0x7077, 0x7000);
}

TEST_F(ShownRemindersTest, KeepsOnlyTheLatestEntries) {
  ShownReminders few(path_, 3);
  for (unsigned i = 1; i <= 5; ++i) few.record("k" + std::to_string(i), {":1.7", i, ":1.9"});
  few.record("k3", {":1.7", 6, ":1.9"});  // the latest again: k4 is now the oldest
  few.record("k6", {":1.7", 7, ":1.9"});
  for (const auto& [key, id] :
       std::vector<std::pair<std::string, unsigned>>{{"k4", 0}, {"k5", 5}, {"k3", 6}, {"k6", 7}}) {
    EXPECT_EQ(few.find(key), id ? std::optional(Shown{":1.7", id, ":1.9"}) : std::nullopt) << key;
  }
}

TEST_F(ShownRemindersTest, ADamagedOrForeignFileIsReadAsEmptyAndRewritten) {
  const QByteArray header = "velto shown reminders 1\n";
  const QByteArray good = (kDigestA + " :1.7 3 :1.9\n").toLatin1();
  ASSERT_TRUE(QDir().mkpath(runtime_.filePath("velto")));
  ASSERT_TRUE(writeFile(path_, header + good));
  ASSERT_EQ(shown_.findNotification(":1.7", 3), (Shown{":1.7", 3, ":1.9"}));  // the form itself reads

  const std::vector<QByteArray> damaged = {
      "",
      "garbage\n",
      "velto shown reminders 2\n" + good,                        // a later form
      header + good.chopped(1),                                  // cut short
      header + good + (kDigestA + " :1.7 0 :1.9\n").toLatin1(),  // no notification has id 0
      header + (kDigestA + " :1.7 +3 :1.9\n").toLatin1(),
      header + (kDigestA + " :1.7 99999999999 :1.9\n").toLatin1(),  // beyond 32 bits
      header + (kDigestA + " org.x 3 :1.9\n").toLatin1(),           // not a unique name
      header + (kDigestA + " :1.7 3 :1.9 extra\n").toLatin1(),
      header + (QString(64, u'A') + " :1.7 3 :1.9\n").toLatin1(),  // not our digest form
      header + QByteArray(70000, '#') + "\n",                      // too big to be ours
  };
  for (const QByteArray& text : damaged) {
    ASSERT_TRUE(writeFile(path_, text));
    EXPECT_EQ(shown_.findNotification(":1.7", 3), std::nullopt) << text.left(80).toStdString();
    shown_.record("k-15", {":1.8", 1, ":1.9"});
    EXPECT_EQ(shown_.find("k-15"), (Shown{":1.8", 1, ":1.9"})) << text.left(80).toStdString();
    EXPECT_TRUE(contents(path_).startsWith(header));
  }
}

TEST_F(ShownRemindersTest, KeepsNothingWithoutAPlaceOfItsOwn) {
  ASSERT_TRUE(writeFile(runtime_.filePath("velto"), "a file where the folder goes"));
  shown_.record("k-15", {":1.7", 1, ":1.9"});
  EXPECT_EQ(shown_.find("k-15"), std::nullopt);

  ShownReminders none{QString()};
  none.record("k-15", {":1.7", 1, ":1.9"});
  EXPECT_EQ(none.find("k-15"), std::nullopt);

  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
  for (const auto& [value, path] : std::vector<std::pair<QByteArray, QString>>{
           {"/run/user/1000", "/run/user/1000/velto/shown-reminders"}, {"", ""}, {"run/user", ""}}) {
    qputenv("XDG_RUNTIME_DIR", value);
    EXPECT_EQ(ShownReminders::defaultPath(), path) << value.toStdString();
  }
  wasSet ? qputenv("XDG_RUNTIME_DIR", saved) : qunsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace CorlaMeetings::Testing
