// What a refresh of the heavy calendar costs once it is loaded: with nothing changed (the
// store's four-day query and the link detection of every meeting, alone and inside a real
// AppDelegate's refresh), and after one file changed (until a query shows the change).
// Run: ./build/bench/RefreshBench

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "BenchCalendar.h"
#include "ICalendar/Store/ICalendarStore.h"
#include "Simulated/SimulatedPlatform.h"
#include "app/AppDelegate.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings::Bench {
namespace {

using Clock = std::chrono::steady_clock;

ICalendarStoreOptions quietOptions() {
  ICalendarStoreOptions options;
  options.problems = [](std::string_view) {};
  return options;
}

// The real store on the simulated platform's run loop, reading one source. Its workers
// post to the loop, which the benchmark turns by hand.
class LoadedStore {
 public:
  explicit LoadedStore(const std::filesystem::path& path)
      : sim(benchNow()),
        store(
            sim.runLoop, sim.clock,
            [location = path.string()] {
              return std::vector<CalendarSource>{{CalendarSource::Kind::path, location}};
            },
            quietOptions()),
        platform{sim.application,        sim.clock,       sim.runLoop,   sim.statusItem, store,
                 sim.notificationCenter, sim.preferences, sim.workspace, sim.loginItem} {
    bool answered = false;
    store.requestAccess([&answered](bool) { answered = true; });
    turnUntil([&] { return answered; });
  }

  // Runs what the workers posted until `done`, sleeping briefly in between. False after a
  // minute without it.
  bool turnUntil(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::minutes(1);
    for (;;) {
      sim.runLoop.runUntilIdle();
      if (done()) return true;
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  }

  SimulatedPlatform sim;
  ICalendarStore store;
  Platform platform;  // the simulated one, with the real store
};

void refreshUnchanged(benchmark::State& state, const std::filesystem::path& path) {
  LoadedStore loaded(path);
  for (auto _ : state) benchmark::DoNotOptimize(queryAndDetect(loaded.store, windowStart(), windowEnd()));
  state.counters["meetings"] = static_cast<double>(loaded.store.events(windowStart(), windowEnd()).size());
}

void BM_QueryAndDetectOneFile(benchmark::State& state) { refreshUnchanged(state, heavyFile()); }
BENCHMARK(BM_QueryAndDetectOneFile)->Unit(benchmark::kMicrosecond);

void BM_QueryAndDetectVdir(benchmark::State& state) { refreshUnchanged(state, heavyVdir()); }
BENCHMARK(BM_QueryAndDetectVdir)->Unit(benchmark::kMicrosecond);

// The store's query alone, to tell its share from the detection's.
void BM_QueryVdir(benchmark::State& state) {
  LoadedStore loaded(heavyVdir());
  for (auto _ : state) benchmark::DoNotOptimize(loaded.store.events(windowStart(), windowEnd()));
}
BENCHMARK(BM_QueryVdir)->Unit(benchmark::kMicrosecond);

// The query of a window the store has not just answered, as after midnight: every series
// is expanded afresh. The window moves a day each time, over two months.
void queryNewWindow(benchmark::State& state, const std::filesystem::path& path) {
  LoadedStore loaded(path);
  std::vector<std::pair<Instant, Instant>> windows;
  for (int day = 0; day < 60; ++day) {
    const Instant start = LocalCalendar::addingDays(windowStart(), day);
    windows.emplace_back(start, LocalCalendar::addingDays(start, 4));
  }
  std::size_t next = 0;
  for (auto _ : state) {
    const auto& [start, end] = windows[next++ % windows.size()];
    benchmark::DoNotOptimize(loaded.store.events(start, end));
  }
}

void BM_QueryNewWindowOneFile(benchmark::State& state) { queryNewWindow(state, heavyFile()); }
BENCHMARK(BM_QueryNewWindowOneFile)->Unit(benchmark::kMicrosecond);

void BM_QueryNewWindowVdir(benchmark::State& state) { queryNewWindow(state, heavyVdir()); }
BENCHMARK(BM_QueryNewWindowVdir)->Unit(benchmark::kMicrosecond);

// A real AppDelegate's whole refresh: the above, then the title, reminders, the menu with
// its views, and the timer.
void BM_DelegateRefreshVdir(benchmark::State& state) {
  LoadedStore loaded(heavyVdir());
  auto delegate = std::make_shared<AppDelegate>(loaded.platform);
  delegate->applicationDidFinishLaunching();
  if (!loaded.turnUntil([&] { return !delegate->currentMeetings().empty(); })) state.SkipWithError("no meetings");
  for (auto _ : state) delegate->refreshClicked();
  state.counters["meetings"] = static_cast<double>(delegate->currentMeetings().size());
}
BENCHMARK(BM_DelegateRefreshVdir)->Unit(benchmark::kMicrosecond);

// A meeting in the window that stands alone in its file.
const CalendarObject& objectInWindow(CalendarStore& store) {
  for (const auto& event : store.events(windowStart(), windowEnd())) {
    if (event->isAllDay || !event->eventIdentifier) continue;
    const auto& objects = heavyObjects();
    auto found = std::find_if(objects.begin(), objects.end(), [&](const CalendarObject& object) {
      return object.uid == *event->eventIdentifier && object.components.find("RRULE") == std::string::npos;
    });
    if (found != objects.end()) return *found;
  }
  throw std::runtime_error("no single event in the window");
}

// `text` with a new title for the first event in it.
std::string retitled(std::string text, const std::string& title) {
  const auto at = text.find("\r\nSUMMARY:");
  const auto end = text.find("\r\n", at + 2);
  return text.replace(at + 2, end - at - 2, "SUMMARY:" + title);
}

// Saved as calendar programs save: a new file renamed over the old one.
void save(const std::filesystem::path& path, const std::string& text) {
  const auto temporary = path.parent_path() / ("." + path.filename().string() + ".tmp");
  std::ofstream(temporary, std::ios::binary) << text;
  std::filesystem::rename(temporary, path);
}

// From the save until a query shows the new title: the watcher's notice, the store's
// re-read of the source, the swap on the main thread.
void changeSeen(benchmark::State& state, const std::filesystem::path& source, const std::filesystem::path& file,
                const std::function<std::string(const std::string& title)>& contentWith) {
  LoadedStore loaded(source);
  bool changed = false;
  loaded.store.setChangeObserver([&changed] { changed = true; });
  int round = 0;
  for (auto _ : state) {
    const std::string title = "Changed " + std::to_string(++round);
    const std::string text = contentWith(title);
    changed = false;
    const auto start = Clock::now();
    save(file, text);
    const bool seen = loaded.turnUntil([&] {
      if (!changed) return false;
      changed = false;
      const auto events = loaded.store.events(windowStart(), windowEnd());
      return std::any_of(events.begin(), events.end(), [&](const auto& event) { return event->title == title; });
    });
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!seen) state.SkipWithError("the change never showed");
  }
}

void BM_ChangeSeenVdir(benchmark::State& state) {
  LoadedStore probe(heavyVdir());
  const CalendarObject& object = objectInWindow(probe.store);
  changeSeen(state, heavyVdir(), heavyVdir() / objectFileName(object),
             [&](const std::string& title) { return retitled(asObjectFile(object), title); });
}
BENCHMARK(BM_ChangeSeenVdir)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

void BM_ChangeSeenOneFile(benchmark::State& state) {
  LoadedStore probe(heavyFile());
  const CalendarObject& object = objectInWindow(probe.store);
  const auto at = heavyText().find(object.components);
  changeSeen(state, heavyFile(), heavyFile(), [&](const std::string& title) {
    std::string text = heavyText();
    return text.replace(at, object.components.size(), retitled(object.components, title));
  });
}
BENCHMARK(BM_ChangeSeenOneFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace CorlaMeetings::Bench

BENCHMARK_MAIN();
