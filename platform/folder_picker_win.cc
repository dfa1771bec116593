#include <windows.h>
// windows.h first: the shell headers build on its types.
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/folder_picker.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// COM for the calling thread while the dialog is open (the dialogs need a
// single-threaded apartment), unless the thread has one already.
class ComScope {
 public:
  ComScope()
      : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

template <typename T>
class ComPtr {
 public:
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  T** Receive() { return &pointer_; }
  T* operator->() const { return pointer_; }
  T* get() const { return pointer_; }

 private:
  T* pointer_ = nullptr;
};

// The folder dialog of Windows Vista and later. kUnavailable when it cannot
// be made or shown.
FolderPickOutcome PickWithFileDialog(HWND owner, const std::u16string& title,
                                     const std::u16string& start_folder, std::u16string* folder) {
  ComPtr<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(dialog.Receive())))) {
    return FolderPickOutcome::kUnavailable;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(ToWide(title).c_str());
  ComPtr<IShellItem> start;
  if (!start_folder.empty() &&
      SUCCEEDED(SHCreateItemFromParsingName(ToWidePath(start_folder).c_str(), nullptr,
                                            IID_PPV_ARGS(start.Receive())))) {
    dialog->SetFolder(start.get());
  }
  const HRESULT shown = dialog->Show(owner);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return FolderPickOutcome::kCancelled;
  if (FAILED(shown)) return FolderPickOutcome::kUnavailable;
  ComPtr<IShellItem> result;
  PWSTR path = nullptr;
  if (FAILED(dialog->GetResult(result.Receive())) ||
      FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) {
    return FolderPickOutcome::kCancelled;  // Asked, but gave nothing usable.
  }
  *folder = FromWide(path);
  CoTaskMemFree(path);
  return FolderPickOutcome::kChosen;
}

int CALLBACK OpenOnStartFolder(HWND dialog, UINT message, LPARAM, LPARAM start_folder) {
  if (message == BFFM_INITIALIZED && start_folder != 0) {
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start_folder);
  }
  return 0;
}

// The older folder browser, where the new dialog is missing.
FolderPickOutcome PickWithFolderBrowser(HWND owner, const std::u16string& title,
                                        const std::u16string& start_folder,
                                        std::u16string* folder) {
  const std::wstring wide_title = ToWide(title);
  const std::wstring start = ToWidePath(start_folder);
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
  info.lpfn = OpenOnStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return FolderPickOutcome::kCancelled;
  wchar_t path[MAX_PATH] = {};
  const bool converted = SHGetPathFromIDListW(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!converted) return FolderPickOutcome::kCancelled;
  *folder = FromWide(path);
  return FolderPickOutcome::kChosen;
}

}  // namespace

FolderPickOutcome PickFolder(void* owner_window, const std::u16string& title,
                             const std::u16string& start_folder, std::u16string* folder) {
  ComScope com;
  HWND owner = static_cast<HWND>(owner_window);
  const FolderPickOutcome outcome = PickWithFileDialog(owner, title, start_folder, folder);
  if (outcome != FolderPickOutcome::kUnavailable) return outcome;
  return PickWithFolderBrowser(owner, title, start_folder, folder);
}

}  // namespace platform
