#include <gtest/gtest.h>

#include <functional>

#include "ICalendar/Files/MemoryFileSystem.h"

namespace CorlaMeetings {
namespace {

// What a reader trusts it for: the signature tells a new version, temporary files are not
// listed, and a watcher hears of its names and of the folders on the way to its own.
TEST(MemoryFileSystem, ChangesShowAsOnADiskAndReachOnlyTheWatchersTheyConcern) {
  MemoryFileSystem disk;
  disk.write("/cal/a.ics", "one");
  disk.write("/cal/.a.ics.swp", "temporary");
  const FileSignature first = disk.status("/cal/a.ics").signature;
  disk.write("/cal/a.ics", "two");  // in place: the same inode, a later time
  const FileSignature inPlace = disk.status("/cal/a.ics").signature;
  EXPECT_EQ(inPlace.inode, first.inode);
  EXPECT_GT(inPlace.modifiedNanoseconds, first.modifiedNanoseconds);
  disk.replace("/cal/a.ics", "two");  // renamed over: another inode
  EXPECT_NE(disk.status("/cal/a.ics").signature.inode, first.inode);
  std::string error;
  EXPECT_EQ(disk.openFolder("/cal", error)->names(), std::vector<std::string>{"a.ics"});

  int changes = 0;
  auto watcher = disk.watcher([&] { ++changes; });
  watcher->setDirectories({{"/cal", {"a.ics"}}, {"/later/calendars", {}}});
  const std::pair<int, std::function<void()>> edits[] = {
      {0, [&] { disk.write("/cal/b.ics", "another name"); }},
      {1, [&] { disk.replace("/cal/a.ics", "its name"); }},
      {1, [&] { disk.makeFolder("/later"); }},
      {1, [&] { disk.makeFolder("/later/calendars"); }},
      {1, [&] { disk.write("/later/calendars/x.ics", "in a folder watched whole"); }},
      {1, [&] { disk.remove("/cal/a.ics"); }},
  };
  for (std::size_t i = 0; i < std::size(edits); ++i) {
    changes = 0;
    edits[i].second();
    EXPECT_EQ(changes, edits[i].first) << "edit " << i;
  }
}

}  // namespace
}  // namespace CorlaMeetings
