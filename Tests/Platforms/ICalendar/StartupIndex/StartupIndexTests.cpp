#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <thread>

#include "ICalendar/Files/FileSignature.h"
#include "ICalendar/Sources/SourceReader.h"
#include "Platforms/ICalendar/Support/ParsedCalendarTestSupport.h"
#include "Platforms/ICalendar/Support/StoreFixture.h"

namespace CorlaMeetings::Testing {
namespace {

using namespace std::chrono_literals;

const std::string kStandup =
    calendarWith(event("UID:standup\nDTSTART:20300101T090000Z\nDURATION:PT15M\nSUMMARY:Standup"));
// The same number of bytes, thirty years earlier.
const std::string kOldStandup =
    calendarWith(event("UID:standup\nDTSTART:20000101T090000Z\nDURATION:PT15M\nSUMMARY:Standup"));

class StartupIndexTest : public testing::Test {
 protected:
  StartupIndexOptions options() const { return {folder / "cache", "this build", 0s, 0}; }

  // What a first start leaves behind: everything read, the index saved.
  void indexOnce(const std::string& path) {
    SourceReader reader(path, {}, options());
    reader.read();
    ASSERT_EQ(reader.saveIndex(), "");
  }

  // A start-up read for the test day, and what it shows then.
  std::vector<std::string> startupTitles(SourceReader& reader) {
    reader.read({}, TimeReach::between(kDay, kDayEnd));
    return titlesIn(*reader.calendar(), kDay, kDayEnd);
  }

  std::string indexPath(const std::string& source) const { return startupIndexPath(folder / "cache", source); }
  StartupIndexIdentity identity(const std::string& source) const {
    return {"this build", source, currentZoneIdentity()};
  }

  TemporaryFolder folder;
};

struct StrangeIndex {
  const char* name;
  // Writes an index for the calendar folder at `source` whose one entry says that `file`
  // lies in 1990: believed, the standup would be missed.
  std::function<void(const std::string& path, StartupIndexIdentity identity, const IndexedFiles& lie)> write;
  std::chrono::seconds settle = 0s;
  bool believed = false;
};

void saved(const std::string& path, const StartupIndexIdentity& identity, const IndexedFiles& files) {
  ASSERT_EQ(saveStartupIndex(path, identity, files), "");
}

void rewritten(const std::string& path, const std::function<void(std::string&)>& change) {
  std::string bytes = fileText(path);
  change(bytes);
  writeFile(path, bytes);
}

TEST_F(StartupIndexTest, IndexIsBelievedOnlyWhenItIsThisCalendarsAndWhole) {
  // clang-format off
  const StrangeIndex cases[] = {
      {"intact", saved, 0s, true},
      {"cut short", [](auto path, auto id, auto lie) {
         saved(path, id, lie);
         rewritten(path, [](std::string& bytes) { bytes.resize(bytes.size() / 2); });
       }},
      {"a byte changed", [](auto path, auto id, auto lie) {
         saved(path, id, lie);
         rewritten(path, [](std::string& bytes) { bytes[bytes.size() - 20] ^= 1; });
       }},
      {"not an index", [](auto path, auto, auto) { writeFile(path, "BEGIN:VCALENDAR\r\n"); }},
      {"an older format", [](auto path, auto id, auto lie) {
         saved(path, id, lie);
         rewritten(path, [](std::string& bytes) { --bytes[8]; });
       }},
      {"another build's", [](auto path, auto id, auto lie) {
         id.program = "an older build";
         saved(path, id, lie);
       }},
      {"another calendar's", [](auto path, auto id, auto lie) {
         id.source += "-other";
         saved(path, id, lie);
       }},
      {"made in another zone", [](auto path, auto id, auto lie) {
         id.zone = "Pacific/Kiritimati 2099z";
         saved(path, id, lie);
       }},
      {"of a file changed of late", saved, 1h},
  };
  // clang-format on
  for (const StrangeIndex& strange : cases) {
    SCOPED_TRACE(strange.name);
    const std::string source = folder / (std::string("calendars-") + std::to_string(&strange - cases));
    writeFile(source + "/standup.ics", kStandup);
    const FileSignature signature = localFileSystem()->status(source + "/standup.ics").signature;
    const IndexedFile lie{signature, TimeReach::between(utcTime(1990, 1, 1), utcTime(1990, 1, 2)), {}};
    strange.write(indexPath(source), identity(source), {{"standup.ics", &lie}});

    StartupIndexOptions options = this->options();
    options.settle = strange.settle;
    SourceReader reader(source, {}, options);
    EXPECT_EQ(startupTitles(reader),
              strange.believed ? std::vector<std::string>{} : std::vector<std::string>{"Standup"});
    // What was not believed is replaced by what was read.
    if (strange.believed || strange.settle > 0s) continue;
    EXPECT_EQ(reader.saveIndex(), "");
    const auto loaded = loadStartupIndex(indexPath(source), identity(source));
    ASSERT_TRUE(loaded && loaded->files.size() == 1);
    EXPECT_TRUE(loaded->files.front().second.reach.meets(TimeReach::between(kDay, kDayEnd)));
  }
}

TEST_F(StartupIndexTest, FilesChangedOfLateAreNotIndexed) {
  writeFile(folder / "calendars/standup.ics", kStandup);
  StartupIndexOptions options = this->options();
  options.settle = 1h;
  SourceReader reader(folder / "calendars", {}, options);
  reader.read();
  EXPECT_EQ(reader.saveIndex(), "");
  EXPECT_FALSE(loadStartupIndex(indexPath(folder / "calendars"), identity(folder / "calendars")));
}

struct Change {
  const char* name;
  std::function<void(const std::string& path)> apply;
};

TEST_F(StartupIndexTest, ChangedFileIsReadAgain) {
  // clang-format off
  const Change changes[] = {
      {"written in place, its size and modification time kept",
       [](const std::string& path) {
         struct stat before;
         ASSERT_EQ(::stat(path.c_str(), &before), 0);
         writeFile(path, kStandup);
         const timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
       }},
      {"saved as editors save", [](const std::string& path) { Testing::replaceFile(path, kStandup); }},
  };
  // clang-format on
  for (const Change& change : changes) {
    SCOPED_TRACE(change.name);
    const std::string source = folder / (std::string("calendars-") + std::to_string(&change - changes));
    for (const std::string& file : {source + "/standup.ics", source + ".ics"}) {
      writeFile(file, kOldStandup);
      indexOnce(file.ends_with("/standup.ics") ? source : file);
      change.apply(file);
      SourceReader reader(file.ends_with("/standup.ics") ? source : file, {}, options());
      EXPECT_EQ(startupTitles(reader), std::vector<std::string>{"Standup"}) << file;
    }
  }
}

// Events that reach the test day from far away, each in its own way, and one that does not.
const std::vector<std::string> kFarReaching = {
    event("UID:weekly\nDTSTART:20200107T100000Z\nDURATION:PT1H\nRRULE:FREQ=WEEKLY\nSUMMARY:Weekly since 2020"),
    event("UID:counted\nDTSTART:20250101T110000Z\nDURATION:PT1H\nRRULE:FREQ=YEARLY;COUNT=6\nSUMMARY:Counted"),
    event("UID:until\nDTSTART:20280101T120000Z\nDURATION:PT1H\nRRULE:FREQ=MONTHLY;UNTIL=20300102T000000Z\n"
          "SUMMARY:Until"),
    event("UID:dated\nDTSTART:20190505T130000Z\nDURATION:PT1H\nRDATE:20300101T130000Z\nSUMMARY:Dated"),
    event("UID:moved\nDTSTART:20210301T140000Z\nDURATION:PT1H\nRRULE:FREQ=DAILY;COUNT=3\nSUMMARY:Moved"),
    event("UID:moved\nRECURRENCE-ID:20210302T140000Z\nDTSTART:20300101T140000Z\nDURATION:PT1H\nSUMMARY:Moved here"),
    event("UID:shifted\nDTSTART:20200101T150000Z\nDURATION:PT1H\nRRULE:FREQ=YEARLY;UNTIL=20290601T000000Z\n"
          "SUMMARY:Shifted"),
    event("UID:shifted\nRECURRENCE-ID;RANGE=THISANDFUTURE:20270101T150000Z\nDTSTART:20280101T150000Z\n"
          "DURATION:PT1H\nSUMMARY:Shifted a year"),
    event("UID:floating\nDTSTART:20300101T160000\nDURATION:PT1H\nSUMMARY:Floating"),
    event("UID:sabbatical\nDTSTART:20250101T000000Z\nDTEND:20310101T000000Z\nSUMMARY:Sabbatical"),
    event("UID:long-ago\nDTSTART:19900101T090000Z\nDURATION:PT1H\nSUMMARY:Long ago"),
};

TEST_F(StartupIndexTest, SeriesReachingTheDayFromYearsAgoAreRead) {
  const std::vector<std::string> expected = {"Counted",    "Dated",          "Floating", "Moved here",
                                             "Sabbatical", "Shifted a year", "Until",    "Weekly since 2020"};
  std::string all;
  for (std::size_t i = 0; i < kFarReaching.size(); ++i) {
    writeFile(folder / ("calendars/" + std::to_string(i) + ".ics"), calendarWith(kFarReaching[i]));
    all += kFarReaching[i];
  }
  // Overrides in files of their own come apart from their series: one file for each UID.
  std::filesystem::remove(folder / "calendars/5.ics");
  std::filesystem::remove(folder / "calendars/7.ics");
  writeFile(folder / "calendars/4.ics", calendarWith(kFarReaching[4] + kFarReaching[5]));
  writeFile(folder / "calendars/6.ics", calendarWith(kFarReaching[6] + kFarReaching[7]));
  writeFile(folder / "one.ics", calendarWith(all));

  for (const std::string& source : {folder / "calendars", folder / "one.ics"}) {
    SCOPED_TRACE(source);
    indexOnce(source);
    SourceReader reader(source, {}, options());
    std::vector<std::string> titles = startupTitles(reader);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, expected);
    EXPECT_TRUE(reader.provisional());  // "Long ago" was left out
    EXPECT_TRUE(reader.read().sameAnswers);
    EXPECT_FALSE(reader.provisional());
  }
}

using StoredFiles = std::vector<std::pair<std::string, IndexedFile>>;

IndexedFiles viewOf(const StoredFiles& files) {
  IndexedFiles view;
  for (const auto& [key, file] : files) view.emplace_back(key, &file);
  return view;
}

bool sameFiles(const LoadedStartupIndex& loaded, const StoredFiles& files) {
  return std::equal(loaded.files.begin(), loaded.files.end(), files.begin(), files.end(),
                    [](const auto& a, const auto& b) { return a.first == b.first && a.second == b.second; });
}

TEST_F(StartupIndexTest, TwoProcessesSavingAtOnceLeaveOneWholeIndex) {
  const std::string path = indexPath("/calendars");
  const StartupIndexIdentity id = identity("/calendars");
  auto filesOf = [](int writer) {
    StoredFiles files;
    for (int i = 0; i < 200; ++i) {
      files.push_back({"file-" + std::to_string(1000 + i), {{1, static_cast<ino_t>(i), writer, 0, 0}, {}, {}}});
    }
    return files;
  };
  const StoredFiles one = filesOf(1);
  const StoredFiles two = filesOf(2);
  ASSERT_EQ(saveStartupIndex(path, id, viewOf(one)), "");
  std::atomic<bool> done{false};
  std::atomic<int> unreadable{0};
  std::thread reader([&] {
    while (!done) {
      const auto loaded = loadStartupIndex(path, id);
      if (!loaded || (!sameFiles(*loaded, one) && !sameFiles(*loaded, two))) ++unreadable;
    }
  });
  std::thread writers[] = {std::thread([&] {
                             for (int i = 0; i < 100; ++i) EXPECT_EQ(saveStartupIndex(path, id, viewOf(one)), "");
                           }),
                           std::thread([&] {
                             for (int i = 0; i < 100; ++i) EXPECT_EQ(saveStartupIndex(path, id, viewOf(two)), "");
                           })};
  for (auto& writer : writers) writer.join();
  done = true;
  reader.join();
  EXPECT_EQ(unreadable, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "cache"), {}), 1);  // no temporary left
}

}  // namespace
}  // namespace CorlaMeetings::Testing
