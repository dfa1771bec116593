#include "platform/curl_library.h"

#include <dlfcn.h>

namespace platform {

namespace {

template <typename Function>
bool Resolve(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  return *function != nullptr;
}

}  // namespace

bool CurlLibrary::Bind(void* library) {
  CURLcode (*global_init)(long flags) = nullptr;
  const bool bound = Resolve(library, "curl_global_init", &global_init) &&
                     Resolve(library, "curl_easy_init", &easy_init) &&
                     Resolve(library, "curl_easy_setopt", &easy_setopt) &&
                     Resolve(library, "curl_easy_perform", &easy_perform) &&
                     Resolve(library, "curl_easy_getinfo", &easy_getinfo) &&
                     Resolve(library, "curl_easy_cleanup", &easy_cleanup) &&
                     Resolve(library, "curl_slist_append", &slist_append) &&
                     Resolve(library, "curl_slist_free_all", &slist_free_all);
  // A failed global start shows up as transfers that fail; libcurl's easy
  // calls start what they need themselves.
  if (bound) global_init(CURL_GLOBAL_ALL);
  return bound;
}

const CurlLibrary* CurlLibrary::Get() {
  // A function-local static: the first caller loads, concurrent callers wait.
  // The library stays loaded for the life of the process.
  static const CurlLibrary* const loaded = []() -> const CurlLibrary* {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    auto* curl = new CurlLibrary();
    if (!curl->Bind(library)) {
      delete curl;
      dlclose(library);
      return nullptr;
    }
    return curl;
  }();
  return loaded;
}

}  // namespace platform
