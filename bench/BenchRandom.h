#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace CorlaMeetings::Bench {

// splitmix64: the same numbers on every platform, which the standard distributions are not.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <typename T, std::size_t N>
  const T& pick(const std::array<T, N>& from) {
    return from[static_cast<std::size_t>(below(static_cast<int>(N)))];
  }

 private:
  std::uint64_t state_;
};

inline std::string alphanumerics(Random& random, int count) {
  static constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string out;
  for (int i = 0; i < count; ++i) out += kAlphabet[static_cast<std::size_t>(random.below(62))];
  return out;
}

inline std::string digits(Random& random, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += static_cast<char>('0' + random.below(10));
  return out;
}

inline std::string guid(Random& random) {
  static constexpr std::string_view kHex = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) out += '-';
    out += kHex[static_cast<std::size_t>(random.below(16))];
  }
  return out;
}

}  // namespace CorlaMeetings::Bench
