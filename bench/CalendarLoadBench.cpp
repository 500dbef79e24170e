// The first load of the heavy calendar (46 MiB, 20,000 events), as one .ics and as a vdir
// folder, against libical's own parse of the same data.
// Run: ./build/bench/CalendarLoadBench

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libical/ical.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "BenchCalendar.h"
#include "ICalendar/Libical/LibicalLock.h"
#include "ICalendar/Parsing/CalendarParser.h"
#include "ICalendar/Query/MergedCalendar.h"
#include "ICalendar/Query/ParsedCalendar.h"
#include "ICalendar/Sources/SourceReader.h"

namespace CorlaMeetings::Bench {
namespace {

void countEvents(benchmark::State& state, const std::shared_ptr<const ParsedCalendar>& calendar) {
  if (!calendar) {
    state.SkipWithError("no calendar");
    return;
  }
  state.counters["events"] = static_cast<double>(calendar->eventCount());
}

// The text already in memory: the parser alone.
void BM_ParseOneFile(benchmark::State& state) {
  const std::string& text = heavyText();
  std::shared_ptr<const ParsedCalendar> calendar;
  for (auto _ : state) {
    calendar = parseCalendar(text).calendar;
    benchmark::DoNotOptimize(calendar);
    state.PauseTiming();
    calendar.reset();
    state.ResumeTiming();
  }
  countEvents(state, parseCalendar(text).calendar);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseOneFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LibicalParseOneFile(benchmark::State& state) {
  const std::string& text = heavyText();
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(libicalMutex());
    icalcomponent* component = icalparser_parse_string(text.c_str());
    benchmark::DoNotOptimize(component);
    state.PauseTiming();
    icalcomponent_free(component);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LibicalParseOneFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the store does on its first read of a source: read the file(s) and parse.
void firstRead(benchmark::State& state, const std::filesystem::path& path) {
  std::optional<SourceReader> reader;
  for (auto _ : state) {
    reader.emplace(path, SourceReadLimits());
    auto result = reader->read();
    benchmark::DoNotOptimize(result);
    if (!result.changed) state.SkipWithError("nothing read");
    state.PauseTiming();
    countEvents(state, reader->calendar());
    reader.reset();
    state.ResumeTiming();
  }
}

void BM_FirstReadOneFile(benchmark::State& state) { firstRead(state, heavyFile()); }
BENCHMARK(BM_FirstReadOneFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_FirstReadVdir(benchmark::State& state) { firstRead(state, heavyVdir()); }
BENCHMARK(BM_FirstReadVdir)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The start-up index, in a folder of this process's own.
StartupIndexOptions indexOptions() {
  static const struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("velto-bench-index-" + std::to_string(::getpid()));
    ~Folder() { std::filesystem::remove_all(path); }
  } folder;
  // The calendar was written moments ago: no settling time, or nothing would be indexed.
  return {folder.path.string(), "bench", std::chrono::seconds(0)};
}

// A first start with the index: the whole read, noting where the events lie, and the save.
void firstReadIndexing(benchmark::State& state, const std::filesystem::path& path) {
  std::optional<SourceReader> reader;
  for (auto _ : state) {
    reader.emplace(path, SourceReadLimits(), indexOptions());
    reader->read();
    if (!reader->saveIndex().empty()) state.SkipWithError("index not saved");
    state.PauseTiming();
    reader.reset();
    std::filesystem::remove_all(indexOptions().folder);
    state.ResumeTiming();
  }
}

void BM_FirstReadIndexingOneFile(benchmark::State& state) { firstReadIndexing(state, heavyFile()); }
BENCHMARK(BM_FirstReadIndexingOneFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_FirstReadIndexingVdir(benchmark::State& state) { firstReadIndexing(state, heavyVdir()); }
BENCHMARK(BM_FirstReadIndexingVdir)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A later start: what can reach the days around now, found through the index.
void startupRead(benchmark::State& state, const std::filesystem::path& path) {
  SourceReader(path, SourceReadLimits(), indexOptions()).read();
  {
    SourceReader first(path, SourceReadLimits(), indexOptions());
    first.read();
    first.saveIndex();
  }
  const TimeReach window = TimeReach::between(benchNow() - std::chrono::days(2), benchNow() + std::chrono::days(5));
  std::optional<SourceReader> reader;
  for (auto _ : state) {
    reader.emplace(path, SourceReadLimits(), indexOptions());
    reader->read({}, window);
    if (!reader->provisional()) state.SkipWithError("index not used");
    state.PauseTiming();
    countEvents(state, reader->calendar());
    reader.reset();
    state.ResumeTiming();
  }
}

void BM_StartupReadOneFile(benchmark::State& state) { startupRead(state, heavyFile()); }
BENCHMARK(BM_StartupReadOneFile)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_StartupReadVdir(benchmark::State& state) { startupRead(state, heavyVdir()); }
BENCHMARK(BM_StartupReadVdir)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The share of the first read that is the system's: every file of the vdir opened and
// read, nothing parsed.
void BM_ReadVdirFilesOnly(benchmark::State& state) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(heavyVdir())) files.push_back(entry.path().string());
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (const auto& file : files) {
      streamRegularFileAt(AT_FDCWD, file, std::size_t{64} << 20,
                          [&bytes](std::string_view piece) { bytes += piece.size(); });
    }
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ReadVdirFilesOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// And the parser's: every file of the vdir parsed from memory, then merged.
void BM_ParseVdirFilesInMemory(benchmark::State& state) {
  std::vector<std::string> texts;
  for (const auto& object : heavyObjects()) texts.push_back(asObjectFile(object));
  for (auto _ : state) {
    std::vector<std::shared_ptr<const ParsedCalendar>> calendars;
    calendars.reserve(texts.size());
    for (const auto& text : texts) calendars.push_back(parseCalendar(text).calendar);
    benchmark::DoNotOptimize(mergeCalendars(std::move(calendars)));
  }
}
BENCHMARK(BM_ParseVdirFilesInMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// One-event files that name their zone as Outlook displays it, with no VTIMEZONE: each
// parse looks the name up among the zones with its offset.
void BM_ParseFilesNamingAWindowsDisplayZone(benchmark::State& state) {
  std::vector<std::string> texts;
  for (int i = 0; i < 1000; ++i) {
    texts.push_back("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:bench\r\nBEGIN:VEVENT\r\nUID:" + std::to_string(i) +
                    "\r\nDTSTAMP:20261201T000000Z\r\nDTSTART;TZID=\"(UTC+01:00) Amsterdam, Berlin, Bern, Rome, "
                    "Stockholm, Vienna\":20261207T100000\r\nDURATION:PT30M\r\nSUMMARY:Meeting\r\nEND:VEVENT\r\n"
                    "END:VCALENDAR\r\n");
  }
  for (auto _ : state) {
    for (const auto& text : texts) benchmark::DoNotOptimize(parseCalendar(text).calendar);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_ParseFilesNamingAWindowsDisplayZone)->Unit(benchmark::kMillisecond)->Iterations(3);

// The vdir the naive way: every file read and parsed whole by libical, and kept.
void BM_LibicalParseVdir(benchmark::State& state) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(heavyVdir())) files.push_back(entry.path());
  std::vector<icalcomponent*> parsed;
  parsed.reserve(files.size());
  for (auto _ : state) {
    for (const auto& file : files) {
      FileRead read = readRegularFile(file, std::size_t{64} << 20);
      if (!read.bytes) continue;
      std::lock_guard<std::mutex> lock(libicalMutex());
      parsed.push_back(icalparser_parse_string(read.bytes->c_str()));
    }
    state.PauseTiming();
    for (icalcomponent* component : parsed) icalcomponent_free(component);
    parsed.clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LibicalParseVdir)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace CorlaMeetings::Bench

BENCHMARK_MAIN();
