#include "ICalendar/Sources/SubscriptionFetcher.h"

#include <memory>
#include <string>

#include "ICalendar/Sources/CurlLibrary.h"
#include "ICalendar/Sources/SourceReader.h"
#include "ICalendar/Text/SizeText.h"

namespace CorlaMeetings {

namespace {

constexpr char kProtocols[] = "http,https";

struct Transfer {
  std::size_t maxBytes = 0;
  std::string body;
  bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  std::size_t length = size * count;
  if (length > transfer.maxBytes - transfer.body.size()) {
    transfer.tooLarge = true;
    return 0;  // anything but `length` aborts the transfer
  }
  transfer.body.append(data, length);
  return length;
}

}  // namespace

SubscriptionFetcher::SubscriptionFetcher(FetchLimits limits) : limits_(limits) {}

SubscriptionFetcher::~SubscriptionFetcher() {
  if (void* multi = multi_.load()) curlLibrary()->multi_cleanup(static_cast<CURLM*>(multi));
}

void SubscriptionFetcher::cancel() {
  cancelled_ = true;
  // A fetch that makes its handle after this sees `cancelled_`.
  if (void* multi = multi_.load()) curlLibrary()->multi_wakeup(static_cast<CURLM*>(multi));
}

FetchResult SubscriptionFetcher::fetch(const std::string& url) {
  FetchResult result;
  const CurlLibrary* library = curlLibrary(&result.error);
  if (library == nullptr) return result;
  const CurlLibrary& curl = *library;
  if (multi_.load() == nullptr) multi_ = curl.multi_init();
  auto* multi = static_cast<CURLM*>(multi_.load());
  auto cleanup = [&curl](CURL* easy) { curl.easy_cleanup(easy); };
  std::unique_ptr<CURL, decltype(cleanup)> easy(curl.easy_init(), cleanup);
  if (multi == nullptr || !easy) {
    result.error = "the network library could not start";
    return result;
  }
  Transfer transfer;
  transfer.maxBytes = limits_.maxBytes;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  CURL* handle = easy.get();
  curl.easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl.easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kProtocols);
  curl.easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
  curl.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl.easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(limits_.maxRedirects));
  curl.easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl.easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  curl.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // signals and threads do not mix
  curl.easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.timeout.count()));
  curl.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectTimeout.count()));
  curl.easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
  curl.easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.lowSpeedTime.count()));
  // A declared length over the limit fails before the body comes; the write callback holds
  // the limit for the rest (chunked or compressed bodies).
  curl.easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.maxBytes));
  curl.easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
  curl.easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl.easy_setopt(handle, CURLOPT_USERAGENT, "Velto Meetings Reminder");
  curl.easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
  curl.easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl.easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);

  if (curl.multi_add_handle(multi, handle) != CURLM_OK) {
    result.error = "the network library could not start";
    return result;
  }
  CURLcode code = CURLE_OK;
  bool done = false;
  while (!done && !cancelled_) {
    int running = 0;
    if (curl.multi_perform(multi, &running) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl.multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        code = message->data.result;
        done = true;
      }
    }
    // Wakes for network activity, curl's own timeouts, and cancel().
    if (!done) curl.multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  curl.multi_remove_handle(multi, handle);

  if (!done) {
    result.error = cancelled_ ? "cancelled" : "the transfer failed";
  } else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    result.error = "larger than " + sizeText(limits_.maxBytes);
  } else if (code != CURLE_OK) {
    result.error = errorBuffer[0] != '\0' ? errorBuffer : curl.easy_strerror(code);
  } else {
    long status = 0;
    curl.easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
      result.error = "HTTP status " + std::to_string(status);
    } else {
      result.body = std::move(transfer.body);
    }
  }
  return result;
}

}  // namespace CorlaMeetings
