// The desktop's calendar service with one calendar of 5,000 events: how long the EDS store
// takes from its creation to its first access answer, and what a refresh with nothing
// changed costs once it is loaded. Needs a session bus with Evolution Data Server and the
// calendar on it: bench/eds sets them up and runs this.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <memory>
#include <optional>

#include "BenchCalendar.h"
#include "EDS/Store/EdsCalendarStore.h"
#include "Qt/QtRunLoop.h"
#include "Qt/SystemClock.h"
#include "app/LocalCalendar.h"

namespace CorlaMeetings::Bench {
namespace {

// Today and the three days after it, as a refresh now loads them.
std::pair<Instant, Instant> todaysWindow() {
  const Instant start =
      LocalCalendar::startOfDay(std::chrono::time_point_cast<Instant::duration>(std::chrono::system_clock::now()));
  return {start, LocalCalendar::addingDays(start, 4)};
}

// A store of every selected calendar, once its access answer has come.
class LoadedStore {
 public:
  LoadedStore()
      : store_(
            runLoop_, clock_,
            [] {
              return std::vector<CalendarSource>{{CalendarSource::Kind::desktop, ""}};
            },
            quiet()) {
    std::optional<bool> answer;
    store_.requestAccess([&answer](bool granted) { answer = granted; });
    QDeadlineTimer deadline(60000);
    while (!answer && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    granted_ = answer.value_or(false);
  }

  bool granted() const { return granted_; }
  CalendarStore& store() { return store_; }

 private:
  static EdsCalendarStoreOptions quiet() {
    EdsCalendarStoreOptions options;
    options.problems = [](std::string_view) {};
    return options;
  }

  QtRunLoop runLoop_;
  SystemClock clock_;
  EdsCalendarStore store_;
  bool granted_ = false;
};

void BM_EdsFirstAnswer(benchmark::State& state) {
  for (auto _ : state) {
    LoadedStore loaded;
    if (!loaded.granted()) state.SkipWithError("no access: is EDS on the bus, with a calendar?");
  }
}
BENCHMARK(BM_EdsFirstAnswer)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime()->MeasureProcessCPUTime();

void BM_EdsRefreshNothingChanged(benchmark::State& state) {
  LoadedStore loaded;
  if (!loaded.granted()) state.SkipWithError("no access: is EDS on the bus, with a calendar?");
  const auto [start, end] = todaysWindow();
  for (auto _ : state) benchmark::DoNotOptimize(queryAndDetect(loaded.store(), start, end));
  state.counters["meetings"] = static_cast<double>(loaded.store().events(start, end).size());
}
BENCHMARK(BM_EdsRefreshNothingChanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace CorlaMeetings::Bench

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
