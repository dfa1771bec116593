#include "platform/cbs_callback_impl_win.h"

#include <wininet.h>

#include <cstddef>
#include <cstring>

namespace platform {
namespace {

// Asked of every request: the newest version, from no cache on the way.
constexpr wchar_t kNoCacheHeaders[] = L"Cache-Control: no-cache\r\nPragma: no-cache\r\n";

// The part of BINDINFO up to and including dwOptionsFlags: a caller whose
// record is shorter has no room for the WinINet options.
constexpr ULONG kBindInfoWithOptions = offsetof(BINDINFO, dwOptionsFlags) + sizeof(DWORD);

}  // namespace

CBSCallbackImpl::CBSCallbackImpl(ProgressFn progress) : progress_(std::move(progress)) {}

CBSCallbackImpl::~CBSCallbackImpl() {
  std::lock_guard<std::mutex> hold(binding_lock_);
  if (binding_ != nullptr) binding_->Release();
}

bool CBSCallbackImpl::AbortBinding() {
  IBinding* binding = nullptr;
  {
    std::lock_guard<std::mutex> hold(binding_lock_);
    binding = binding_;
    if (binding != nullptr) binding->AddRef();
  }
  if (binding == nullptr) return false;
  // Outside the lock: the service may end the binding (OnStopBinding) from
  // inside Abort.
  const HRESULT result = binding->Abort();
  binding->Release();
  return SUCCEEDED(result);
}

HRESULT CBSCallbackImpl::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
    *out = static_cast<IBindStatusCallback*>(this);
  } else if (IsEqualIID(iid, IID_IHttpSecurity) || IsEqualIID(iid, IID_IWindowForBindingUI)) {
    *out = static_cast<IHttpSecurity*>(this);
  } else if (IsEqualIID(iid, IID_IHttpNegotiate)) {
    *out = static_cast<IHttpNegotiate*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CBSCallbackImpl::AddRef() { return static_cast<ULONG>(++references_); }

// The object belongs to the download call's frame: the count only informs.
ULONG CBSCallbackImpl::Release() { return static_cast<ULONG>(--references_); }

HRESULT CBSCallbackImpl::OnStartBinding(DWORD, IBinding* binding) {
  http_status_ = 0;
  std::lock_guard<std::mutex> hold(binding_lock_);
  if (binding_ != nullptr) binding_->Release();
  binding_ = binding;
  if (binding_ != nullptr) binding_->AddRef();
  return S_OK;
}

HRESULT CBSCallbackImpl::GetPriority(LONG*) { return E_NOTIMPL; }

HRESULT CBSCallbackImpl::OnLowResource(DWORD) { return S_OK; }

HRESULT CBSCallbackImpl::OnProgress(ULONG progress, ULONG progress_max, ULONG status_code,
                                    LPCWSTR status_text) {
  if (progress_ && !progress_(progress, progress_max, status_code, status_text)) return E_ABORT;
  return S_OK;
}

HRESULT CBSCallbackImpl::OnStopBinding(HRESULT, LPCWSTR) {
  std::lock_guard<std::mutex> hold(binding_lock_);
  if (binding_ != nullptr) binding_->Release();
  binding_ = nullptr;
  return S_OK;
}

HRESULT CBSCallbackImpl::GetBindInfo(DWORD* bind_flags, BINDINFO* bind_info) {
  // The newest version every time. Security problems are not ignored: a
  // certificate that does not check out ends the transfer.
  if (bind_flags != nullptr) *bind_flags |= BINDF_GETNEWESTVERSION;
  if (bind_info != nullptr && bind_info->cbSize >= kBindInfoWithOptions) {
    // Redirects between plain and secure HTTP are followed without asking.
    bind_info->dwOptions |= BINDINFO_OPTIONS_WININETFLAG;
    bind_info->dwOptionsFlags |=
        INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  }
  return S_OK;
}

HRESULT CBSCallbackImpl::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) { return S_OK; }

HRESULT CBSCallbackImpl::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

HRESULT CBSCallbackImpl::GetWindow(REFGUID, HWND* window) {
  if (window != nullptr) *window = GetDesktopWindow();
  ++window_requests_;
  return S_OK;
}

HRESULT CBSCallbackImpl::OnSecurityProblem(DWORD) { return E_ABORT; }

HRESULT CBSCallbackImpl::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                              LPWSTR* additional_headers) {
  if (additional_headers == nullptr) return S_OK;
  // The service frees the text with CoTaskMemFree.
  auto* headers = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(kNoCacheHeaders)));
  if (headers != nullptr) std::memcpy(headers, kNoCacheHeaders, sizeof(kNoCacheHeaders));
  *additional_headers = headers;
  return S_OK;
}

HRESULT CBSCallbackImpl::OnResponse(DWORD status, LPCWSTR, LPCWSTR,
                                    LPWSTR* additional_request_headers) {
  if (additional_request_headers != nullptr) *additional_request_headers = nullptr;
  http_status_ = status;
  // An error answer is never the package: stop before its page is fetched.
  return status >= 400 ? E_ABORT : S_OK;
}

}  // namespace platform
