#include <sys/stat.h>

#include <atomic>

#include "ICalendar/Files/FileWatcher.h"
#include "ICalendar/Store/ICalendarStore.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings::Testing {
namespace {

namespace fs = std::filesystem;
using Titles = std::vector<std::string>;

const std::string kGarbage("\x00\xff\xfe\x01 PK\x03\x04 not a calendar \x7f", 27);

using ICalendarStoreTest = StoreFixture;

// Each request reads the source list again, and every request gets its answer.
TEST_F(ICalendarStoreTest, GrantsAccessWhenAnySourceListedAtTheRequestGivesACalendar) {
  files->write(folder / "good.ics", calendarText(kStandup));
  files->write(folder / "garbage.ics", kGarbage);
  files->makeFolder(folder / "empty-folder");
  makeStore({});
  struct Case {
    std::vector<std::string> sources;
    bool granted;
    Titles meetings;
  };
  // clang-format off
  const Case cases[] = {
      {{}, false, {}},
      {{folder / "missing.ics"}, false, {}},
      {{folder / "missing.ics", folder / "good.ics"}, true, {"09:00 Standup"}},
      {{folder / "garbage.ics"}, false, {}},  // nothing left of the sources no longer listed
      {{"ftp://127.0.0.1/cal.ics"}, false, {}},
      {{folder / "empty-folder"}, true, {}},
  };
  // clang-format on
  for (const auto& [sourceList, granted, meetings] : cases) {
    SCOPED_TRACE(::testing::PrintToString(sourceList));
    setSources(sourceList);
    auto earlier = std::make_shared<int>(0);
    store->requestAccess([earlier](bool) { ++*earlier; });
    EXPECT_EQ(requestAccess(), granted);
    EXPECT_EQ(*earlier, 1);
    EXPECT_EQ(titles(), meetings);
  }
  EXPECT_EQ(problems("missing.ics: No such file or directory"), 1u);  // once while it stays listed
}

TEST_F(ICalendarStoreTest, FolderLayoutsAndASingleFileGiveTheSameMeetings) {
  files->write(folder / "single.ics", calendarText({kStandup, kReview, kRetro}));
  // The vdir layout: one event per file, and metadata files that are not calendars.
  files->write(folder / "flat/standup.ics", calendarText(kStandup));
  files->write(folder / "flat/review.ics", calendarText(kReview));
  files->write(folder / "flat/retro.ICS", calendarText(kRetro));
  files->write(folder / "flat/color", "#ff0000");
  // A folder of such calendar folders.
  files->write(folder / "nested/work/standup.ics", calendarText(kStandup));
  files->write(folder / "nested/work/review.ics", calendarText(kReview));
  files->write(folder / "nested/home/retro.ics", calendarText(kRetro));
  for (const char* source : {"single.ics", "flat", "nested"}) {
    SCOPED_TRACE(source);
    makeStore({folder / source});
    ASSERT_TRUE(accessGranted());
    EXPECT_EQ(titles(), (Titles{"09:00 Standup", "13:00 Review", "16:00 Retro"}));
  }
}

// A bad save (an editor's half-done write, garbage) keeps the last good events, quietly.
TEST_F(ICalendarStoreTest, NotifiesAfterAnEditWithTheNewContentAlreadyInButNotOfABadSave) {
  const Titles before{"09:00 Standup", "13:00 Review"}, planningReview{"11:00 Planning", "13:00 Review"};
  const Titles three{"09:00 Standup", "11:00 Planning", "13:00 Review"};
  const std::string planning = calendarText(kPlanning);
  // clang-format off
  const std::tuple<const char*, std::function<void()>, Titles> cases[] = {
      {"a file rewritten in place", [&] { files->write(folder / "cal.ics", planning); }, planningReview},
      {"a file replaced by a rename", [&] { files->replace(folder / "cal.ics", planning); }, planningReview},
      {"a file created where a missing one was listed", [&] { files->write(folder / "later.ics", planning); }, three},
      {"an event added to a folder", [&] { files->replace(folder / "vdir/planning.ics", planning); }, three},
      {"an event removed from a folder", [&] { files->remove(folder / "vdir/review.ics"); }, {"09:00 Standup"}},
      {"an event in a folder made after the start", [&] { files->write(folder / "vdir/team/x.ics", planning); }, three},
      {"a file made with its missing folders", [&] { files->write(folder / "synced/later/cal.ics", planning); }, three},
      {"a file emptied", [&] { files->write(folder / "cal.ics", ""); }, before},
      {"a file spoiled", [&] { files->write(folder / "cal.ics", kGarbage); }, before},
      {"a folder's file spoiled", [&] { files->write(folder / "vdir/review.ics", kGarbage); }, before},
  };
  // clang-format on
  for (const auto& [what, edit, expected] : cases) {
    SCOPED_TRACE(what);
    files = std::make_shared<MemoryFileSystem>();
    files->write(folder / "cal.ics", calendarText(kStandup));
    files->write(folder / "vdir/review.ics", calendarText(kReview));
    makeStore({folder / "cal.ics", folder / "later.ics", folder / "vdir", folder / "synced/later/cal.ics"});
    ASSERT_TRUE(accessGranted());
    edit();
    loop.runUntilIdle();
    EXPECT_EQ(titles(), expected);
    EXPECT_EQ(titlesAtLastChange, expected == before ? Titles{} : expected);
  }
  EXPECT_EQ(problems("holds no calendar"), 3u);
  files->write(folder / "vdir/review.ics", calendarText(kRetro));  // a good save afterwards is taken
  loop.runUntilIdle();
  EXPECT_EQ(titlesAtLastChange, (Titles{"09:00 Standup", "16:00 Retro"}));
}

// The disk, watched by inotify: an edit in place and an editor's save by rename are
// noticed; a file caught as a save has just emptied it keeps the calendar it held before.
TEST_F(ICalendarStoreTest, OnDiskNoticesEditsAndKeepsTheLastGoodCalendarThroughAnEmptiedFile) {
  writeFile(folder / "cal.ics", calendarText(kStandup));
  makeStore({folder / "cal.ics"}, {}, {.disk = true});
  ASSERT_TRUE(accessGranted());
  // The watch begins just after the answer; an edit before it would be found by the
  // re-read that follows, not by the watch under test.
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  writeFile(folder / "cal.ics", calendarText(kPlanning));
  EXPECT_TRUE(eventually([&] { return titlesAtLastChange == Titles{"11:00 Planning"}; }, &loop));
  replaceFile(folder / "cal.ics", calendarText(kReview));
  EXPECT_TRUE(eventually([&] { return titlesAtLastChange == Titles{"13:00 Review"}; }, &loop));
  writeFile(folder / "cal.ics", "");
  EXPECT_TRUE(eventually([&] { return problems("holds no calendar now") > 0; }, &loop));
  EXPECT_EQ(titles(), Titles{"13:00 Review"});
}

TEST_F(ICalendarStoreTest, RefusesWhatCouldHangOrExhaustItAndReadsTheRest) {
  ICalendarStoreOptions options;
  options.read.maxFileBytes = 4096;
  writeFile(folder / "vdir/good.ics", calendarText(kStandup));
  writeFile(folder / "vdir/big.ics", calendarText(kReview) + std::string(5000, '\n'));
  writeFile(folder / "vdir/team/deeper/too-deep.ics", calendarText(kRetro));
  ASSERT_EQ(::mkfifo((folder / "vdir/fifo.ics").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((folder / "lonely-fifo.ics").c_str(), 0600), 0);
  fs::create_symlink("loop-b.ics", folder / "vdir/loop-a.ics");
  fs::create_symlink("loop-a.ics", folder / "vdir/loop-b.ics");
  fs::create_symlink(".", folder / "vdir/again");
  fs::create_symlink("..", folder / "vdir/team/up");
  fs::create_symlink("/dev/zero", folder / "vdir/zero.ics");
  makeStore({folder / "vdir", folder / "lonely-fifo.ics"}, options, {.disk = true});
  EXPECT_TRUE(accessGranted());
  EXPECT_EQ(titles(), Titles{"09:00 Standup"});
  for (const char* reported :
       {"big.ics: larger than 4096 bytes", "fifo.ics: not a regular file", "zero.ics: not a regular file",
        "loop-a.ics: Too many levels of symbolic links", "lonely-fifo.ics: not a regular file"}) {
    EXPECT_GT(problems(reported), 0u) << reported;
  }
}

TEST_F(ICalendarStoreTest, WorkArrivingAfterDestructionDoesNothing) {
  files->write(folder / "cal.ics", calendarText(kStandup));
  makeStore({folder / "cal.ics"});
  auto answers = std::make_shared<int>(0);
  store->requestAccess([answers](bool) { ++*answers; });
  loop.postTask([&] { store.reset(); });  // after the reader's job, before what it posts
  loop.runUntilIdle();
  EXPECT_EQ(*answers, 0);
}

// The store's change detection, on its own: which directory entries count, and folders
// that come and go.
TEST(FileWatcher, NoticesItsNamesAndItsDirectoryComingAndGoingButNotOtherEntries) {
  TemporaryFolder folder;
  std::atomic<int> changes{0};
  FileWatcher watcher([&] { ++changes; });
  ASSERT_EQ(watcher.error(), "");
  const std::string watched = folder / "not/yet/watched";
  fs::create_directory(folder / "not");
  watcher.setDirectories({{watched, {"cal.ics"}}});
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  writeFile(folder / "not/other.txt", "unrelated");
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  EXPECT_EQ(changes, 0);

  fs::create_directories(watched);  // noticed without being asked again
  ASSERT_TRUE(eventually([&] { return changes > 0; }));
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  int before = changes;
  writeFile(watched + "/notes.txt", "unrelated");
  std::this_thread::sleep_for(std::chrono::milliseconds{200});
  EXPECT_EQ(changes, before);  // a save of its own name: the store's test on the disk
  fs::rename(watched, folder / "moved");
  ASSERT_TRUE(eventually([&] { return changes > before; }));
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  before = changes;
  writeFile(watched + "/cal.ics", "made again");
  EXPECT_TRUE(eventually([&] { return changes > before; }));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
