// CBSCallbackImpl: the status object that the system's URL download service
// (URLDownloadToFileW) talks to during one download. It hands every progress
// call to its receiver, asks for the newest version of the address, follows
// redirects between plain and secure HTTP, keeps the status of the HTTP
// answer, refuses every certificate problem, and lets another thread stop
// the running transfer.
//
// It lives in the frame of the download call; the service's reference
// counting never frees it. Its IBindStatusCallback and IHttpNegotiate calls
// come on the thread that called the service; AbortBinding and the counters
// may be used from any thread.
#pragma once

#include <urlmon.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

class CBSCallbackImpl final : public IBindStatusCallback,
                              public IHttpSecurity,
                              public IHttpNegotiate {
 public:
  // Receives (bytes done, bytes total, BINDSTATUS code, status text) of every
  // progress call; returns false to stop the transfer.
  using ProgressFn = std::function<bool(ULONG done, ULONG total, ULONG status, LPCWSTR text)>;

  explicit CBSCallbackImpl(ProgressFn progress);
  ~CBSCallbackImpl();
  CBSCallbackImpl(const CBSCallbackImpl&) = delete;
  CBSCallbackImpl& operator=(const CBSCallbackImpl&) = delete;

  // Stops the running transfer; the service then returns E_ABORT. False
  // when no transfer runs at the moment (before it started or after it
  // ended). Any thread.
  bool AbortBinding();

  // How many times the service asked for a window to show a question on,
  // over every transfer this object served.
  int32_t window_requests() const { return window_requests_; }
  // The status code of the last HTTP answer of the current transfer (the
  // final one after redirects); 0 before one arrived.
  DWORD http_status() const { return http_status_; }

  // IUnknown (shared by the three interfaces).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IBindStatusCallback.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progress_max, ULONG status_code,
                                       LPCWSTR status_text) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* bind_flags, BINDINFO* bind_info) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                            STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID iid, IUnknown* object) override;

  // IWindowForBindingUI and IHttpSecurity.
  HRESULT STDMETHODCALLTYPE GetWindow(REFGUID reason, HWND* window) override;
  HRESULT STDMETHODCALLTYPE OnSecurityProblem(DWORD problem) override;

  // IHttpNegotiate.
  HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                                 LPWSTR* additional_headers) override;
  HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR response_headers,
                                       LPCWSTR request_headers,
                                       LPWSTR* additional_request_headers) override;

 private:
  ProgressFn progress_;
  std::atomic<LONG> references_{1};
  std::atomic<int32_t> window_requests_{0};
  std::atomic<DWORD> http_status_{0};
  std::mutex binding_lock_;
  IBinding* binding_ = nullptr;  // Held (AddRef) while a transfer runs.
};

}  // namespace platform
