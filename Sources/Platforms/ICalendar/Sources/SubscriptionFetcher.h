#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace CorlaMeetings {

struct FetchLimits {
  std::size_t maxBytes = std::size_t{64} << 20;  // of the body as decoded
  std::chrono::milliseconds timeout{30'000};     // for the whole transfer, redirects included
  std::chrono::milliseconds connectTimeout{10'000};
  // A transfer slower than this many bytes a second for that long is given up.
  long lowSpeedBytesPerSecond = 100;
  std::chrono::seconds lowSpeedTime{15};
  int maxRedirects = 5;
};

struct FetchResult {
  std::optional<std::string> body;  // the response body of a successful (2xx) answer
  std::string error;                // why there is none, for messages
};

// Fetches calendar subscriptions over http and https (libcurl, loaded by the first fetch;
// a fetch without it fails with the reason). Blocking: use it on a worker thread only, one
// fetch at a time. No other scheme is ever used, not even through
// a redirect; TLS certificates and host names are verified; every limit above holds.
class SubscriptionFetcher {
 public:
  explicit SubscriptionFetcher(FetchLimits limits);
  ~SubscriptionFetcher();
  SubscriptionFetcher(const SubscriptionFetcher&) = delete;
  SubscriptionFetcher& operator=(const SubscriptionFetcher&) = delete;

  FetchResult fetch(const std::string& url);

  // Any thread. Ends the running fetch at once, and fails every later one: for shutdown.
  void cancel();

 private:
  FetchLimits limits_;
  std::atomic<void*> multi_{nullptr};  // CURLM, kept out of the header; made by the first fetch
  std::atomic<bool> cancelled_{false};
};

}  // namespace CorlaMeetings
