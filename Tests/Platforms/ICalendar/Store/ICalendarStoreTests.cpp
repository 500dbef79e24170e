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
  writeFile(folder / "good.ics", calendarText(kStandup));
  writeFile(folder / "garbage.ics", kGarbage);
  fs::create_directories(folder / "empty-folder");
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
  writeFile(folder / "single.ics", calendarText({kStandup, kReview, kRetro}));
  // The vdir layout: one event per file, and metadata files that are not calendars.
  writeFile(folder / "flat/standup.ics", calendarText(kStandup));
  writeFile(folder / "flat/review.ics", calendarText(kReview));
  writeFile(folder / "flat/retro.ICS", calendarText(kRetro));
  writeFile(folder / "flat/color", "#ff0000");
  // A folder of such calendar folders.
  writeFile(folder / "nested/work/standup.ics", calendarText(kStandup));
  writeFile(folder / "nested/work/review.ics", calendarText(kReview));
  writeFile(folder / "nested/home/retro.ics", calendarText(kRetro));
  for (const char* source : {"single.ics", "flat", "nested"}) {
    SCOPED_TRACE(source);
    makeStore({folder / source});
    ASSERT_TRUE(accessGranted());
    EXPECT_EQ(titles(), (Titles{"09:00 Standup", "13:00 Review", "16:00 Retro"}));
  }
}

TEST_F(ICalendarStoreTest, KeepsTheLastGoodEventsWhenAFileTurnsBad) {
  // clang-format off
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"cal.ics", "cal.ics", ""},  // truncated to nothing
      {"cal.ics", "cal.ics", kGarbage},
      {"vdir", "vdir/review.ics", kGarbage},
  };
  // clang-format on
  for (const auto& [source, spoiled, bytes] : cases) {
    SCOPED_TRACE(spoiled + std::string(bytes.empty() ? " emptied" : " spoiled"));
    writeFile(folder / "cal.ics", calendarText({kStandup, kReview}));
    writeFile(folder / "vdir/standup.ics", calendarText(kStandup));
    writeFile(folder / "vdir/review.ics", calendarText(kReview));
    makeStore({folder / source});
    ASSERT_TRUE(accessGranted());
    const auto reported = problems("holds no calendar");
    writeFile(folder / spoiled, bytes);
    edited(folder / spoiled);
    ASSERT_GT(problems("holds no calendar"), reported);
    EXPECT_EQ(titles(), (Titles{"09:00 Standup", "13:00 Review"}));
    EXPECT_EQ(changes, 0);

    writeFile(folder / spoiled, calendarText(kRetro));  // a good save afterwards is taken
    edited(folder / spoiled);
    EXPECT_GT(changes, 0);
    EXPECT_NE(titles(), (Titles{"09:00 Standup", "13:00 Review"}));
  }
}

TEST_F(ICalendarStoreTest, NotifiesAfterAnEditWithTheNewContentAlreadyIn) {
  using Edit = std::function<void(const TemporaryFolder&)>;
  const Titles standupPlanningReview{"09:00 Standup", "11:00 Planning", "13:00 Review"};
  // clang-format off
  const std::tuple<const char*, Edit, Titles> cases[] = {
      {"a file rewritten in place", [](auto& f) { writeFile(f / "cal.ics", calendarText(kPlanning)); },
       {"11:00 Planning", "13:00 Review"}},
      {"a file replaced by a rename", [](auto& f) { replaceFile(f / "cal.ics", calendarText(kPlanning)); },
       {"11:00 Planning", "13:00 Review"}},
      {"a file created where a missing one was listed",
       [](auto& f) { writeFile(f / "later.ics", calendarText(kPlanning)); }, standupPlanningReview},
      {"an event added to a folder", [](auto& f) { replaceFile(f / "vdir/planning.ics", calendarText(kPlanning)); },
       standupPlanningReview},
      {"an event removed from a folder", [](auto& f) { fs::remove(f / "vdir/review.ics"); }, {"09:00 Standup"}},
      {"an event in a calendar folder made after the start",
       [](auto& f) { writeFile(f / "vdir/team/planning.ics", calendarText(kPlanning)); }, standupPlanningReview},
      {"a file created where its folders were missing too",
       [](auto& f) { writeFile(f / "synced/later/cal.ics", calendarText(kPlanning)); }, standupPlanningReview},
  };
  // clang-format on
  for (const auto& [what, edit, expected] : cases) {
    SCOPED_TRACE(what);
    TemporaryFolder files;
    writeFile(files / "cal.ics", calendarText(kStandup));
    writeFile(files / "vdir/review.ics", calendarText(kReview));
    makeStore({files / "cal.ics", files / "later.ics", files / "vdir", files / "synced/later/cal.ics"}, {},
              {.watcher = true});
    ASSERT_TRUE(accessGranted());
    // The watch begins just after the answer; an edit before it would be found by the
    // re-read that follows, not by the watch under test.
    std::this_thread::sleep_for(std::chrono::milliseconds{100});
    edit(files);
    EXPECT_TRUE(eventually([&] { return titlesAtLastChange == expected; }, &loop));
  }
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
  makeStore({folder / "vdir", folder / "lonely-fifo.ics"}, options);
  EXPECT_TRUE(accessGranted());
  EXPECT_EQ(titles(), Titles{"09:00 Standup"});
  for (const char* reported :
       {"big.ics: larger than 4096 bytes", "fifo.ics: not a regular file", "zero.ics: not a regular file",
        "loop-a.ics: Too many levels of symbolic links", "lonely-fifo.ics: not a regular file"}) {
    EXPECT_GT(problems(reported), 0u) << reported;
  }
}

TEST_F(ICalendarStoreTest, WorkArrivingAfterDestructionDoesNothing) {
  writeFile(folder / "cal.ics", calendarText(kStandup));
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
  EXPECT_EQ(changes, before);
  replaceFile(watched + "/cal.ics", "new");
  ASSERT_TRUE(eventually([&] { return changes > before; }));
  before = changes;
  fs::rename(watched, folder / "moved");
  ASSERT_TRUE(eventually([&] { return changes > before; }));
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  before = changes;
  writeFile(watched + "/cal.ics", "made again");
  EXPECT_TRUE(eventually([&] { return changes > before; }));
}

}  // namespace
}  // namespace CorlaMeetings::Testing
