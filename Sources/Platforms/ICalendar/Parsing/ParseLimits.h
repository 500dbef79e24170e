#pragma once

#include <chrono>
#include <cstddef>

namespace CorlaMeetings::ParseLimits {

// Calendars come from strangers (invites, subscriptions). These bounds keep any text from
// hanging the app or eating memory; real calendars stay far inside all of them.

// Text beyond this is not read. The largest real exports seen are a few tens of MB.
inline constexpr std::size_t kMaxCalendarBytes = 64u << 20;

// An unfolded line is cut here. libical's line reader is quadratic: 5 ms at 256 KiB, over a
// second at 4 MiB. Long lines worth keeping are descriptions, whose links come early.
inline constexpr std::size_t kMaxLineBytes = 256u << 10;

// The kept properties of one event, and one VTIMEZONE, beyond which the rest is dropped.
inline constexpr std::size_t kMaxEventBytes = 1u << 20;
inline constexpr std::size_t kMaxTimeZoneBytes = 64u << 10;

// Observances (STANDARD/DAYLIGHT blocks) a VTIMEZONE may hold. Zones with their full
// history as dated observances have a few hundred.
inline constexpr int kMaxObservances = 1000;

// Onsets (clock changes) a VTIMEZONE read by libical may give up to the last year libical
// expands to, 2582, and all such zones of one calendar together. libical's zone code
// takes about 10 microseconds for each; a zone with two yearly rules from 1601, as Outlook
// writes them, has about 2,000.
inline constexpr long kMaxZoneOnsets = 10'000;
inline constexpr long kMaxZoneOnsetsPerCalendar = 40'000;

// COUNT rules are walked once at parse time to find their last occurrence; a walk stops
// after this many occurrences, and all walks of one calendar share a budget of steps (a
// step being one period of the rule's frequency, which is what libical's loops cost, about
// two microseconds each).
inline constexpr int kMaxCountedOccurrences = 5000;
inline constexpr long kMaxCountingStepsPerCalendar = 250'000;

// A query returns at most this many occurrences of one series, and of all events.
inline constexpr int kMaxOccurrencesPerSeries = 1000;
inline constexpr std::size_t kMaxOccurrencesPerQuery = 20000;

// Events longer than this are kept aside and checked one by one, so that the start index
// can look back only as far as the longest ordinary event.
inline constexpr std::chrono::hours kLongEvent{24 * 7};

// Lines kept in ParseResult::problems; the rest are counted in a last line.
inline constexpr std::size_t kMaxProblems = 100;

}  // namespace CorlaMeetings::ParseLimits
