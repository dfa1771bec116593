// CurlLibrary: libcurl, loaded when the first transfer needs it instead of at
// process start.
//
// The program is not linked against libcurl: a linked libcurl makes the
// dynamic loader map and relocate it and some twenty libraries behind it (TLS,
// Kerberos, LDAP, SSH) before main runs, which is about a fifth of the work
// before the first window frame, although every transfer (reports, the
// package download) happens later on a worker thread. Loading it there moves
// that work off the window's start.
//
// Promises: Get() loads libcurl ("libcurl.so.4") and runs its process-wide
// initialisation exactly once, on whichever thread asks first, while other
// callers wait for it; afterwards it answers at once from any thread. When the
// library or one of its entry points cannot be found, Get() returns null
// (every time) and callers treat that like a transfer that could not start.
#pragma once

#include <curl/curl.h>

namespace platform {

class CurlLibrary {
 public:
  static const CurlLibrary* Get();

  // The entry points the product uses, as libcurl declares them.
  CURL* (*easy_init)() = nullptr;
  CURLcode (*easy_setopt)(CURL* handle, CURLoption option, ...) = nullptr;
  CURLcode (*easy_perform)(CURL* handle) = nullptr;
  CURLcode (*easy_getinfo)(CURL* handle, CURLINFO info, ...) = nullptr;
  void (*easy_cleanup)(CURL* handle) = nullptr;
  curl_slist* (*slist_append)(curl_slist* list, const char* text) = nullptr;
  void (*slist_free_all)(curl_slist* list) = nullptr;

 private:
  CurlLibrary() = default;
  // Fills the entry points from the loaded library; false when one is missing.
  bool Bind(void* library);
};

}  // namespace platform
