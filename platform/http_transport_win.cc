#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "base/utf.h"
#include "platform/http_transport.h"

namespace platform {
namespace {

constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

// Closes a WinHTTP handle when it goes out of scope.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_) WinHttpCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }

 private:
  HINTERNET handle_;
};

// Header text for WinHTTP, which writes header lines to the wire as UTF-8:
// a UTF-8 value (a channel name, say) arrives unchanged. Bytes that are not
// UTF-8 are widened one by one instead.
std::wstring HeaderText(std::string_view bytes) {
  const std::u16string utf16 = nbase::Utf8ToUtf16(bytes);
  if (!utf16.empty() || bytes.empty()) return std::wstring(utf16.begin(), utf16.end());
  std::wstring wide;
  wide.reserve(bytes.size());
  for (char c : bytes) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

int32_t MapError(DWORD error, bool answer_started) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return kTransferTimedOut;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return kTransferCouldNotResolveHost;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return kTransferCouldNotConnect;
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return kTransferBadUrl;
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      // Before any answer the server closed (or sent no HTTP at all).
      return answer_started ? kTransferReceiveError : kTransferGotNothing;
    default:
      return answer_started ? kTransferReceiveError : kTransferSendError;
  }
}

DWORD Milliseconds(int32_t seconds) {
  return seconds > 0 ? static_cast<DWORD>(seconds) * 1000u : 0u;
}

// One request in WinHTTP's asynchronous mode. Each step (send, answer
// headers, each read) is started and then awaited with what is left of the
// whole transfer's time; WinHTTP's own time-outs are per operation, and a
// synchronous call can stay blocked past them, while a server that accepts
// and never answers must not hold the worker longer than the transfer may
// take. The state is shared with WinHTTP's callback thread and freed when
// the handle's closing is reported (or here, when it never opened).
class AsyncRequest {
 public:
  // Opens the request below `connection`; null when WinHTTP refuses.
  static std::shared_ptr<AsyncRequest> Open(HINTERNET connection, const std::wstring& target) {
    auto state = std::shared_ptr<AsyncRequest>(new AsyncRequest());
    state->handle_ = WinHttpOpenRequest(connection, L"POST", target.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
    if (!state->handle_) return nullptr;
    // The callback's context holds one reference until the handle closes.
    state->self_ = state;
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(state.get());
    WinHttpSetOption(state->handle_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context));
    WinHttpSetStatusCallback(state->handle_, &AsyncRequest::Callback,
                             WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                 WINHTTP_CALLBACK_FLAG_HANDLES,
                             0);
    return state;
  }

  ~AsyncRequest() {
    if (event_) CloseHandle(event_);
  }

  HINTERNET handle() const { return handle_; }

  // Closes the handle (once); WinHTTP cancels what is pending.
  void Close() {
    HINTERNET handle = nullptr;
    {
      std::lock_guard<std::mutex> hold(lock_);
      std::swap(handle, handle_);
    }
    if (handle) WinHttpCloseHandle(handle);
  }

  // Starts a step with `start` (a WinHTTP call returning BOOL) and waits for
  // its completion until `deadline`. kTransferOk, or the failure's code.
  template <typename Start>
  int32_t Step(Start start, std::chrono::steady_clock::time_point deadline, bool answer_started) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_ = false;
      error_ = 0;
      bytes_ = 0;
    }
    ResetEvent(event_);
    if (!start()) return MapError(GetLastError(), answer_started);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const DWORD wait_ms = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
    if (WaitForSingleObject(event_, wait_ms) != WAIT_OBJECT_0) return kTransferTimedOut;
    std::lock_guard<std::mutex> hold(lock_);
    return error_ == 0 ? kTransferOk : MapError(error_, answer_started);
  }

  // Bytes the last read step delivered.
  DWORD bytes() {
    std::lock_guard<std::mutex> hold(lock_);
    return bytes_;
  }

  // Buffers WinHTTP works on while a step is pending. They live with this
  // state, which outlives a step that timed out until the handle closes.
  std::string& body() { return body_; }
  std::vector<char>& read_buffer() { return read_buffer_; }

 private:
  AsyncRequest() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  static void CALLBACK Callback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                DWORD info_length) {
    auto* state = reinterpret_cast<AsyncRequest*>(context);
    if (!state) return;
    switch (status) {
      case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        state->Complete(0, 0);
        break;
      case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        state->Complete(0, info_length);
        break;
      case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
        const auto* result = static_cast<const WINHTTP_ASYNC_RESULT*>(info);
        state->Complete(result && result->dwError ? result->dwError : ERROR_WINHTTP_INTERNAL_ERROR,
                        0);
        break;
      }
      case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        state->self_.reset();  // WinHTTP calls no more: let the state go
        break;
      default:
        break;
    }
  }

  void Complete(DWORD error, DWORD bytes) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      done_ = true;
      error_ = error;
      bytes_ = bytes;
    }
    SetEvent(event_);
  }

  std::mutex lock_;
  HINTERNET handle_ = nullptr;
  HANDLE event_;
  bool done_ = false;
  DWORD error_ = 0;
  DWORD bytes_ = 0;
  std::string body_;
  std::vector<char> read_buffer_ = std::vector<char>(16 * 1024);
  std::shared_ptr<AsyncRequest> self_;
};

}  // namespace

void HttpTransport::InitializeProcess() {}

HttpTransport::HttpTransport() {
  // No agent of the session's own: the caller's User-Agent line is the only one.
  handle_ = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                        WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
}

HttpTransport::~HttpTransport() {
  if (handle_) WinHttpCloseHandle(static_cast<HINTERNET>(handle_));
}

int32_t HttpTransport::Post(const HttpPostRequest& request, HttpDataSink sink,
                            void* sink_context) {
  if (!handle_) return kTransferFailedInit;
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(request.total_timeout_seconds);

  const std::u16string url16 = nbase::Utf8ToUtf16(request.url);
  std::wstring url(url16.begin(), url16.end());
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (url.empty() || !WinHttpCrackUrl(url.c_str(), 0, 0, &parts) ||
      parts.nScheme != INTERNET_SCHEME_HTTP) {
    return kTransferBadUrl;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring target(parts.lpszUrlPath, parts.dwUrlPathLength);
  target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  InternetHandle connection(
      WinHttpConnect(static_cast<HINTERNET>(handle_), host.c_str(), parts.nPort, 0));
  if (!connection.get()) return MapError(GetLastError(), false);
  std::shared_ptr<AsyncRequest> call = AsyncRequest::Open(connection.get(), target);
  if (!call) return MapError(GetLastError(), false);
  // Closed on every way out, before the connection handle.
  struct CloseOnExit {
    AsyncRequest& call;
    ~CloseOnExit() { call.Close(); }
  } close_on_exit{*call};
  HINTERNET http = call->handle();

  const DWORD connect_ms = Milliseconds(request.connect_timeout_seconds);
  const DWORD total_ms = Milliseconds(request.total_timeout_seconds);
  WinHttpSetTimeouts(http, connect_ms, connect_ms, total_ms, total_ms);
  // The request is exactly the caller's: no redirects followed, no stored
  // cookies added, no answer decoded.
  DWORD option = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(http, WINHTTP_OPTION_REDIRECT_POLICY, &option, sizeof(option));
  option = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS;
  WinHttpSetOption(http, WINHTTP_OPTION_DISABLE_FEATURE, &option, sizeof(option));
  std::wstring proxy_name;
  if (!request.proxy.empty()) {
    proxy_name = HeaderText(request.proxy);
    WINHTTP_PROXY_INFO proxy = {};
    proxy.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    proxy.lpszProxy = proxy_name.data();
    WinHttpSetOption(http, WINHTTP_OPTION_PROXY, &proxy, sizeof(proxy));
  }

  std::string header_text;
  for (const std::string& line : request.header_lines) header_text.append(line).append("\r\n");
  header_text.append(kFormContentType).append("\r\n");
  const std::wstring headers = HeaderText(header_text);
  if (!WinHttpAddRequestHeaders(http, headers.c_str(), static_cast<DWORD>(headers.size()),
                                WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
    return kTransferSendError;
  }

  call->body().assign(request.body);
  const DWORD body_size = static_cast<DWORD>(call->body().size());
  int32_t result = call->Step(
      [&] {
        return WinHttpSendRequest(http, WINHTTP_NO_ADDITIONAL_HEADERS, 0, call->body().data(),
                                  body_size, body_size, 0);
      },
      deadline, false);
  if (result != kTransferOk) return result;
  result = call->Step([&] { return WinHttpReceiveResponse(http, nullptr); }, deadline, false);
  if (result != kTransferOk) return result;

  DWORD announced = 0;
  DWORD announced_size = sizeof(announced);
  const bool has_length =
      WinHttpQueryHeaders(http, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &announced, &announced_size,
                          WINHTTP_NO_HEADER_INDEX) != FALSE;
  uint64_t received = 0;
  std::vector<char>& buffer = call->read_buffer();
  while (true) {
    result = call->Step(
        [&] {
          return WinHttpReadData(http, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
        },
        deadline, true);
    if (result == kTransferTimedOut) return result;
    if (result != kTransferOk) {
      return has_length && received < announced ? kTransferPartialAnswer : result;
    }
    const DWORD got = call->bytes();
    if (got == 0) break;
    received += got;
    if (sink(buffer.data(), 1, got, sink_context) != got) return kTransferSinkRefused;
  }
  if (has_length && received < announced) return kTransferPartialAnswer;
  return kTransferOk;
}

}  // namespace platform
