#pragma once

#include <curl/curl.h>

#include <string>

namespace CorlaMeetings {

// The functions of libcurl that Velto uses. The library is loaded on first use, not linked:
// a process with no subscription never maps it, nor the TLS, SSH, LDAP and Kerberos
// libraries under it (megabytes of an idle tray's memory).
struct CurlLibrary {
  decltype(&curl_easy_init) easy_init;
  decltype(&curl_easy_cleanup) easy_cleanup;
  decltype(&curl_easy_setopt) easy_setopt;
  decltype(&curl_easy_getinfo) easy_getinfo;
  decltype(&curl_easy_strerror) easy_strerror;
  decltype(&curl_multi_init) multi_init;
  decltype(&curl_multi_cleanup) multi_cleanup;
  decltype(&curl_multi_add_handle) multi_add_handle;
  decltype(&curl_multi_remove_handle) multi_remove_handle;
  decltype(&curl_multi_perform) multi_perform;
  decltype(&curl_multi_poll) multi_poll;
  decltype(&curl_multi_wakeup) multi_wakeup;
  decltype(&curl_multi_info_read) multi_info_read;
  decltype(&curl_url) url;
  decltype(&curl_url_cleanup) url_cleanup;
  decltype(&curl_url_get) url_get;
  decltype(&curl_url_set) url_set;
  decltype(&curl_free) free;
};

// libcurl, loaded and set up on the first call (any thread); null when it cannot be, and
// `error`, if given, then says why for messages.
const CurlLibrary* curlLibrary(std::string* error = nullptr);

}  // namespace CorlaMeetings
