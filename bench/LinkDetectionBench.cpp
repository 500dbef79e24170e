// What finding a join link costs, from a typical invite to texts built to hurt: it must
// stay linear in the size of the text, whatever the text.
// Run: ./build/bench/LinkDetectionBench

#include <benchmark/benchmark.h>

#include <string>

#include "meetings/JoinLinkDetection.h"

namespace CorlaMeetings::Bench {
namespace {

constexpr std::string_view kTeamsLink =
    "https://teams.microsoft.com/l/meetup-join/19%3ameeting_NjQ1ZDk2YjAtNTk3Ny00ZmVkLWI3YmQtNmJlY2Q5MmVlZTU5%40thread."
    "v2/0?context=%7b%22Tid%22%3a%2272f988bf-86f1-41af-91ab-2d7cd011db47%22%7d";

// Prose and markup of the kind invites are made of, with no link in it.
std::string prose(std::size_t bytes) {
  static constexpr std::string_view kParagraph =
      "<p>Hi all, let us go through the quarterly roadmap, the hiring plan and the budget for the platform team. "
      "Agenda: 10:00 roadmap, 10:30 budget. Notes from the last review are attached; please read them before the "
      "meeting (about 20 minutes).</p>\n";
  std::string text;
  text.reserve(bytes + kParagraph.size());
  while (text.size() < bytes) text += kParagraph;
  text.resize(bytes);
  return text;
}

// An Outlook invite: 10 KB of HTML with the Teams block at its end.
CalendarEvent typicalInvite() {
  CalendarEvent event;
  event.title = "Quarterly planning";
  event.location = "Microsoft Teams Meeting";
  std::string notes =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head><body>";
  notes += prose(9000);
  notes +=
      "<div>________________________________________________________________________________</div>"
      "<div><span style=\"font-size:24px\">Microsoft Teams meeting</span></div><div><a href=\"";
  notes += kTeamsLink;
  notes += "\" target=\"_blank\">Click here to join the meeting</a></div><div>Meeting ID: 123 456 789</div>";
  notes.resize(10 * 1024 - 20, ' ');
  notes += "</body></html>";
  event.notes = notes;
  return event;
}

void BM_TypicalInvite(benchmark::State& state) {
  const CalendarEvent event = typicalInvite();
  for (auto _ : state) {
    auto link = detectJoinURL(event);
    if (!link) state.SkipWithError("no link found");
    benchmark::DoNotOptimize(link);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(event.notes->size()));
}
BENCHMARK(BM_TypicalInvite)->Unit(benchmark::kMicrosecond);

// The search over one text of `state.range(0)` bytes, which must hold no link.
void searchWithoutLink(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    auto link = findServiceLink(text);
    if (link) state.SkipWithError("found a link");
    benchmark::DoNotOptimize(link);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_TextWithoutLink(benchmark::State& state) {
  searchWithoutLink(state, prose(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_TextWithoutLink)
    ->RangeMultiplier(4)
    ->Range(16 << 10, 1 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// "http://http://http://..." with no white space and no host: every scheme starts a match
// that a backtracking engine would try to complete to the end of the run.
std::string schemeRun(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 7);
  while (text.size() < bytes) text += "http://";
  text.resize(bytes);
  return text;
}

void BM_HostileSchemeRun(benchmark::State& state) {
  searchWithoutLink(state, schemeRun(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_HostileSchemeRun)
    ->RangeMultiplier(2)
    ->Range(25'000, 200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The same run after a scheme and every service's host, each standing alone: nothing rules
// any service out, and each search has to take the run itself.
void BM_HostileSchemeRunAfterHosts(benchmark::State& state) {
  const std::string hosts = "https:// teams.microsoft.com/ zoom.us/ meet.google.com/ webex.com/ whereby.com/ ";
  searchWithoutLink(state, hosts + schemeRun(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_HostileSchemeRunAfterHosts)
    ->RangeMultiplier(2)
    ->Range(25'000, 200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// One line of link characters and nothing else.
void BM_LinkCharacterLine(benchmark::State& state) {
  searchWithoutLink(state, std::string(static_cast<std::size_t>(state.range(0)), 'a'));
}
BENCHMARK(BM_LinkCharacterLine)
    ->RangeMultiplier(4)
    ->Range(128 << 10, 2 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// The same line starting with a meeting link: the match, and so the URL parsed, is the
// whole line.
void BM_LinkCharacterLineAfterLink(benchmark::State& state) {
  std::string text(kTeamsLink);
  text.resize(static_cast<std::size_t>(state.range(0)), 'a');
  for (auto _ : state) {
    auto link = findServiceLink(text);
    if (!link || link->absoluteString().size() != text.size()) state.SkipWithError("not the whole line");
    benchmark::DoNotOptimize(link);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LinkCharacterLineAfterLink)
    ->RangeMultiplier(4)
    ->Range(128 << 10, 2 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace CorlaMeetings::Bench

BENCHMARK_MAIN();
