#include "ICalendar/ICalendarStore.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings {
namespace {

using namespace testing_support;
namespace fs = std::filesystem;

const std::string kGarbage("\x00\xff\xfe\x01 PK\x03\x04 not a calendar \x7f", 27);

class ICalendarStoreTest : public StoreFixture {};

TEST_F(ICalendarStoreTest, GrantsAccessOnTheMainLoopWhenAnySourceGivesACalendar) {
  writeFile(folder / "good.ics", calendarText(kStandup));
  writeFile(folder / "garbage.ics", kGarbage);
  fs::create_directories(folder / "empty-folder");
  struct Case {
    const char* what;
    std::vector<std::string> sources;
    bool granted;
  };
  const Case cases[] = {
      {"no sources", {}, false},
      {"a missing file", {folder / "missing.ics"}, false},
      {"a file of garbage", {folder / "garbage.ics"}, false},
      {"an unsupported URL", {"ftp://127.0.0.1/cal.ics"}, false},
      {"an empty folder", {folder / "empty-folder"}, true},
      {"a calendar file", {folder / "good.ics"}, true},
      {"a missing file and a calendar file", {folder / "missing.ics", folder / "good.ics"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    makeStore(c.sources);
    bool answeredAtOnce = false;
    auto answer = std::make_shared<int>(0);
    store->requestAccess([answer](bool) { ++*answer; });
    answeredAtOnce = *answer > 0;
    std::shared_ptr<Answer> second = requestAccess();
    EXPECT_FALSE(answeredAtOnce);
    EXPECT_EQ(*answer, 1);
    EXPECT_EQ(second->calls, 1);
    EXPECT_TRUE(second->onMainThread);
    EXPECT_EQ(second->granted, c.granted);
  }
}

TEST_F(ICalendarStoreTest, NamesAnUnreadableSourceOnceWithTheReason) {
  makeStore({folder / "missing.ics"});
  EXPECT_FALSE(accessGranted());
  EXPECT_FALSE(accessGranted());
  EXPECT_EQ(problems.countContaining("missing.ics: No such file or directory"), 1u);
}

TEST_F(ICalendarStoreTest, ReadsTheSourceListAgainOnEachRequest) {
  writeFile(folder / "good.ics", calendarText(kStandup));
  makeStore({folder / "missing.ics"});
  EXPECT_FALSE(accessGranted());
  setSources({folder / "good.ics"});
  EXPECT_TRUE(accessGranted());
  EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});
  setSources({});
  EXPECT_FALSE(accessGranted());
  EXPECT_TRUE(titles().empty());
}

TEST_F(ICalendarStoreTest, FolderLayoutsAndASingleFileGiveTheSameMeetings) {
  writeFile(folder / "single.ics", calendarText({kStandup, kReview, kRetro}));
  // The vdir layout: one event per file, and metadata files that are not calendars.
  writeFile(folder / "flat/standup.ics", calendarText(kStandup));
  writeFile(folder / "flat/review.ics", calendarText(kReview));
  writeFile(folder / "flat/retro.ICS", calendarText(kRetro));
  writeFile(folder / "flat/color", "#ff0000");
  writeFile(folder / "flat/displayname", "Work");
  // A folder of such calendar folders.
  writeFile(folder / "nested/work/standup.ics", calendarText(kStandup));
  writeFile(folder / "nested/work/review.ics", calendarText(kReview));
  writeFile(folder / "nested/home/retro.ics", calendarText(kRetro));
  const std::vector<std::string> expected{"09:00 Standup", "13:00 Review", "16:00 Retro"};
  for (const char* source : {"single.ics", "flat", "nested"}) {
    SCOPED_TRACE(source);
    makeStore({folder / source});
    ASSERT_TRUE(accessGranted());
    EXPECT_EQ(titles(), expected);
  }
}

TEST_F(ICalendarStoreTest, KeepsTheLastGoodEventsWhenAFileTurnsBad) {
  struct Case {
    const char* what;
    std::string source;    // what the store reads
    std::string spoiled;   // the file that turns bad
    std::string badBytes;  // what it turns into
    std::string reported;  // the problem line that shows the re-read happened
  };
  const Case cases[] = {
      {"a file truncated to nothing", "cal.ics", "cal.ics", "", "holds no calendar"},
      {"a file overwritten with garbage", "cal.ics", "cal.ics", kGarbage, "holds no calendar"},
      {"a folder's file overwritten with garbage", "vdir", "vdir/review.ics", kGarbage, "review.ics: holds no calendar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TemporaryFolder files;
    writeFile(files / "cal.ics", calendarText({kStandup, kReview}));
    writeFile(files / "vdir/standup.ics", calendarText(kStandup));
    writeFile(files / "vdir/review.ics", calendarText(kReview));
    makeStore({files / c.source});
    ASSERT_TRUE(accessGranted());
    changes = 0;

    writeFile(files / c.spoiled, c.badBytes);
    ASSERT_TRUE(pumpUntil(loop, [&] { return problems.contains(c.reported); }));
    EXPECT_EQ(titles(), (std::vector<std::string>{"09:00 Standup", "13:00 Review"}));
    EXPECT_EQ(changes, 0);

    // A good save afterwards is taken.
    writeFile(files / c.spoiled, calendarText(kRetro));
    EXPECT_TRUE(pumpUntil(loop, [&] { return changes > 0; }));
    EXPECT_NE(titles(), (std::vector<std::string>{"09:00 Standup", "13:00 Review"}));
  }
}

TEST_F(ICalendarStoreTest, NotifiesAfterAnEditWithTheNewContentAlreadyIn) {
  struct Case {
    const char* what;
    std::function<void(const TemporaryFolder&)> edit;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a file rewritten in place",
       [](const TemporaryFolder& f) { writeFile(f / "cal.ics", calendarText(kPlanning)); },
       {"11:00 Planning", "13:00 Review"}},
      {"a file replaced by a rename, as editors save",
       [](const TemporaryFolder& f) { replaceFile(f / "cal.ics", calendarText(kPlanning)); },
       {"11:00 Planning", "13:00 Review"}},
      {"a file created where a missing one was listed",
       [](const TemporaryFolder& f) { writeFile(f / "later.ics", calendarText(kPlanning)); },
       {"09:00 Standup", "11:00 Planning", "13:00 Review"}},
      {"an event added to a folder",
       [](const TemporaryFolder& f) { replaceFile(f / "vdir/planning.ics", calendarText(kPlanning)); },
       {"09:00 Standup", "11:00 Planning", "13:00 Review"}},
      {"an event removed from a folder",
       [](const TemporaryFolder& f) { fs::remove(f / "vdir/review.ics"); },
       {"09:00 Standup"}},
      {"an event in a calendar folder created after the start",
       [](const TemporaryFolder& f) { writeFile(f / "vdir/team/planning.ics", calendarText(kPlanning)); },
       {"09:00 Standup", "11:00 Planning", "13:00 Review"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TemporaryFolder files;
    writeFile(files / "cal.ics", calendarText(kStandup));
    writeFile(files / "vdir/review.ics", calendarText(kReview));
    makeStore({files / "cal.ics", files / "later.ics", files / "vdir"});
    ASSERT_TRUE(accessGranted());
    // The watch begins just after the answer; an edit before it would be found by the
    // re-read that follows, not by the watch under test.
    std::this_thread::sleep_for(std::chrono::milliseconds{100});
    loop.runUntilIdle();
    changes = 0;

    c.edit(files);
    EXPECT_TRUE(pumpUntil(loop, [&] { return titlesAtLastChange == c.expected; }));
  }
}

TEST_F(ICalendarStoreTest, WatchesAFolderAgainAfterItWasMovedAwayAndMadeAgain) {
  writeFile(folder / "vdir/review.ics", calendarText(kReview));
  makeStore({folder / "vdir"});
  ASSERT_TRUE(accessGranted());
  std::this_thread::sleep_for(std::chrono::milliseconds{100});

  fs::rename(folder / "vdir", folder / "old-vdir");
  ASSERT_TRUE(pumpUntil(loop, [&] { return problems.contains("vdir: No such file or directory"); }));
  EXPECT_EQ(titles(), std::vector<std::string>{"13:00 Review"});  // kept while it is gone

  fs::create_directory(folder / "vdir");
  ASSERT_TRUE(pumpUntil(loop, [&] { return changes > 0; }));
  EXPECT_TRUE(titlesAtLastChange.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds{100});
  writeFile(folder / "vdir/planning.ics", calendarText(kPlanning));
  EXPECT_TRUE(pumpUntil(loop, [&] { return titlesAtLastChange == std::vector<std::string>{"11:00 Planning"}; }));
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
  auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(accessGranted());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{3});
  EXPECT_EQ(titles(), std::vector<std::string>{"09:00 Standup"});
  EXPECT_TRUE(problems.contains("big.ics: larger than 4096 bytes"));
  EXPECT_TRUE(problems.contains("fifo.ics: not a regular file"));
  EXPECT_TRUE(problems.contains("zero.ics: not a regular file"));
  EXPECT_TRUE(problems.contains("loop-a.ics: Too many levels of symbolic links"));
  EXPECT_TRUE(problems.contains("lonely-fifo.ics: not a regular file"));
}

TEST_F(ICalendarStoreTest, WorkArrivingAfterDestructionDoesNothing) {
  writeFile(folder / "cal.ics", calendarText(kStandup));
  makeStore({folder / "cal.ics"});
  auto answers = std::make_shared<int>(0);
  store->requestAccess([answers](bool) { ++*answers; });
  std::this_thread::sleep_for(std::chrono::milliseconds{100});  // let the workers post
  store.reset();
  loop.runUntilIdle();
  EXPECT_EQ(*answers, 0);
}

TEST_F(ICalendarStoreTest, AnswersEveryRequest) {
  writeFile(folder / "cal.ics", calendarText(kStandup));
  makeStore({folder / "cal.ics"});
  std::vector<bool> answers;
  for (int i = 0; i < 3; ++i) store->requestAccess([&answers](bool granted) { answers.push_back(granted); });
  EXPECT_TRUE(pumpUntil(loop, [&] { return answers.size() == 3; }));
  EXPECT_EQ(answers, std::vector<bool>(3, true));
}

}  // namespace
}  // namespace CorlaMeetings
