#include "ICalendar/FileWatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "Platforms/ICalendar/Support/StoreTestSupport.h"

namespace CorlaMeetings {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// Waits, in real time, for the watcher's thread to count past `than`.
bool countsPast(const std::atomic<int>& count, int than) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds{5};
  while (count <= than && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds{5});
  }
  return count > than;
}

class FileWatcherTest : public testing::Test {
 protected:
  TemporaryFolder folder;
  std::atomic<int> changes{0};
  FileWatcher watcher{[this] { ++changes; }};
};

TEST_F(FileWatcherTest, NoticesARenamedSaveOfAWatchedNameAndIgnoresOthers) {
  ASSERT_EQ(watcher.error(), "");
  watcher.setDirectories({{folder.path().string(), {"cal.ics"}}});
  ASSERT_TRUE(countsPast(changes, 0));  // the watch began
  int before = changes;

  writeFile(folder / "notes.txt", "unrelated");
  std::this_thread::sleep_for(std::chrono::milliseconds{200});
  EXPECT_EQ(changes, before);

  replaceFile(folder / "cal.ics", "new");
  EXPECT_TRUE(countsPast(changes, before));
}

TEST_F(FileWatcherTest, WatchesADirectoryOnceItExists) {
  std::string later = folder / "later";
  watcher.setDirectories({{later, {}}});
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  EXPECT_EQ(changes, 0);

  fs::create_directory(later);
  watcher.setDirectories({{later, {}}});
  ASSERT_TRUE(countsPast(changes, 0));
  int before = changes;
  writeFile(later + "/cal.ics", "x");
  EXPECT_TRUE(countsPast(changes, before));
}

TEST_F(FileWatcherTest, NoticesItsDirectoryBeingRemoved) {
  std::string sub = folder / "sub";
  fs::create_directory(sub);
  watcher.setDirectories({{sub, {"nothing-here"}}});
  ASSERT_TRUE(countsPast(changes, 0));
  int before = changes;
  fs::remove_all(sub);
  EXPECT_TRUE(countsPast(changes, before));
}

}  // namespace
}  // namespace CorlaMeetings
