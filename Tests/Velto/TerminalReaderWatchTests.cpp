#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>

#include "TerminalReaderWatch.h"

namespace CorlaMeetings {
namespace {

using namespace std::chrono_literals;

TEST(TerminalReaderWatch, TellsWhenThePipesLastReaderCloses) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::promise<void> gone;
  std::future<void> told = gone.get_future();
  {
    TerminalReaderWatch watch(ends[1], [&gone] { gone.set_value(); });
    EXPECT_TRUE(watch.isWatching());
    EXPECT_EQ(told.wait_for(50ms), std::future_status::timeout);  // read, and nothing written
    ::close(ends[0]);
    EXPECT_EQ(told.wait_for(10s), std::future_status::ready);
  }
  ::close(ends[1]);
}

TEST(TerminalReaderWatch, WatchesNeitherFilesNorAPipeAfterItIsGone) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(TerminalReaderWatch(::fileno(file), [] {}).isWatching());
  std::fclose(file);

  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  bool told = false;
  { TerminalReaderWatch watch(ends[1], [&told] { told = true; }); }  // stops without a word
  ::close(ends[0]);
  ::close(ends[1]);
  EXPECT_FALSE(told);
}

}  // namespace
}  // namespace CorlaMeetings
