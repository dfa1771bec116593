// The system's HTTP transfer under the statistics client: one blocking POST
// over plain HTTP at a time, on one worker thread. libcurl's easy interface
// on Linux (http_transport_curl.cc), WinHTTP on Windows
// (http_transport_win.cc); the client above keeps every rule of the wire
// (which headers, their order, the cookie, the attempts).
//
// Both promise:
// - the request carries the caller's header lines exactly as given, each
//   once, in the given order, besides the transport's own Host and
//   Content-Length lines and one "Content-Type:
//   application/x-www-form-urlencoded" line (the form default); no other
//   User-Agent, Connection or Accept-Encoding line than the caller's;
// - the body goes out byte for byte with its exact length;
// - an answer that arrives completely is a success whatever its status; the
//   answer's body (not its headers) goes to the sink as it arrives, and an
//   encoded answer is passed on as it came;
// - the connection must be made within the connect time-out and the whole
//   transfer ends within the total time-out;
// - a proxy is used only when one is named; otherwise the system's default
//   applies;
// - result codes are TransferResult values (below), the same on every
//   system.
// The DNS cache time applies where the system lets a program set it
// (libcurl); WinHTTP uses the system resolver's cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Results of one transfer. The numbers are libcurl's, the library the
// statistics client was first written on; the WinHTTP transport maps its
// errors onto them.
inline constexpr int32_t kTransferOk = 0;
inline constexpr int32_t kTransferFailedInit = 2;
inline constexpr int32_t kTransferBadUrl = 3;
inline constexpr int32_t kTransferCouldNotResolveHost = 6;
inline constexpr int32_t kTransferCouldNotConnect = 7;
inline constexpr int32_t kTransferBadAnswer = 8;  // not an HTTP answer
inline constexpr int32_t kTransferPartialAnswer = 18;  // shorter than announced
inline constexpr int32_t kTransferSinkRefused = 23;    // the sink took less than given
inline constexpr int32_t kTransferTimedOut = 28;
inline constexpr int32_t kTransferGotNothing = 52;  // closed without any answer
inline constexpr int32_t kTransferSendError = 55;
inline constexpr int32_t kTransferReceiveError = 56;

struct HttpPostRequest {
  std::string url;                        // "http://host[:port]/path?query"
  std::vector<std::string> header_lines;  // "Name: value", in wire order
  std::string_view body;
  int32_t connect_timeout_seconds = 15;
  int32_t total_timeout_seconds = 15;
  int32_t dns_cache_timeout_seconds = 60;
  std::string proxy;  // empty: none named
};

// Receives the answer's body in pieces: `size` × `count` bytes at `data`.
// Returns how many it took; anything but all of them ends the transfer.
using HttpDataSink = size_t (*)(char* data, size_t size, size_t count, void* context);

class HttpTransport {
 public:
  HttpTransport();
  ~HttpTransport();
  HttpTransport(const HttpTransport&) = delete;
  HttpTransport& operator=(const HttpTransport&) = delete;

  // The process-wide start of the system's HTTP library, now rather than at
  // the first transport, which starts it by itself on its own thread (libcurl
  // is loaded then, see curl_library.h). Later calls do nothing; a failed
  // start shows up as failed transfers.
  static void InitializeProcess();

  // False when the system gave no transfer handle; every Post then fails
  // with kTransferFailedInit.
  bool ready() const { return handle_ != nullptr; }

  // One POST; the same transport may be used again (a second attempt).
  int32_t Post(const HttpPostRequest& request, HttpDataSink sink, void* sink_context);

 private:
  void* handle_ = nullptr;  // the system's transfer (libcurl) or session (WinHTTP)
};

}  // namespace platform
