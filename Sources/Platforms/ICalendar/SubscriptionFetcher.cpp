#include "ICalendar/SubscriptionFetcher.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "ICalendar/SourceReader.h"

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

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

}  // namespace

void initializeSubscriptionFetching() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

SubscriptionFetcher::SubscriptionFetcher(FetchLimits limits) : limits_(limits), multi_(curl_multi_init()) {}

SubscriptionFetcher::~SubscriptionFetcher() {
  if (multi_ != nullptr) curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

void SubscriptionFetcher::cancel() {
  cancelled_ = true;
  if (multi_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

FetchResult SubscriptionFetcher::fetch(const std::string& url) {
  FetchResult result;
  auto* multi = static_cast<CURLM*>(multi_);
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (multi == nullptr || !easy) {
    result.error = "the network library could not start";
    return result;
  }
  Transfer transfer;
  transfer.maxBytes = limits_.maxBytes;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kProtocols);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, static_cast<long>(limits_.maxRedirects));
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // signals and threads do not mix
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.timeout.count()));
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectTimeout.count()));
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.lowSpeedTime.count()));
  // A declared length over the limit fails before the body comes; the write callback holds
  // the limit for the rest (chunked or compressed bodies).
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.maxBytes));
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "Velto Meetings Reminder");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);

  if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
    result.error = "the network library could not start";
    return result;
  }
  CURLcode code = CURLE_OK;
  bool done = false;
  while (!done && !cancelled_) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) break;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        code = message->data.result;
        done = true;
      }
    }
    // Wakes for network activity, curl's own timeouts, and cancel().
    if (!done) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  curl_multi_remove_handle(multi, handle);

  if (!done) {
    result.error = cancelled_ ? "cancelled" : "the transfer failed";
  } else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    result.error = "larger than " + sizeText(limits_.maxBytes);
  } else if (code != CURLE_OK) {
    result.error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
  } else {
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
      result.error = "HTTP status " + std::to_string(status);
    } else {
      result.body = std::move(transfer.body);
    }
  }
  return result;
}

}  // namespace CorlaMeetings
