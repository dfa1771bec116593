// The demo installation package for Windows, "DudIdiruvovoInstaller.exe": a
// silent installer as the installer expects one. It takes everything after
// "/D=" to the end of its raw command line as the installation folder (the
// installer writes it unquoted), writes the product application
// "vidIvurodezirarod.exe" (carried as resource 101) into that folder and
// records the product under the machine's Uninstall key, where the
// installer's detection looks for it. "/S" (silent) is what it always is.
//
// VARNIK_DEMO_PACKAGE_EXIT chooses a failing exit code for tests (the
// package then installs nothing); VARNIK_DEMO_PACKAGE_RECORD names a file
// that gets one line (UTF-8) with the folder of every run. Exit codes: 0
// done, 3 the folder cannot be made, 4 the application cannot be written,
// 5 the Uninstall entry cannot be written.
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr int kProductAppResource = 101;
constexpr wchar_t kAppFileName[] = L"vidIvurodezirarod.exe";
constexpr wchar_t kUninstallEntry[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VarnikPDF";
constexpr wchar_t kDisplayName[] = L"VarnikPDF\u8f6c\u6362\u5668";

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

std::wstring InstallFolder() {
  const std::wstring line = GetCommandLineW();
  const size_t at = line.find(L" /D=");
  if (at != std::wstring::npos && at + 4 < line.size()) return line.substr(at + 4);
  wchar_t program_files[MAX_PATH] = L"C:\\Program Files (x86)";
  SHGetSpecialFolderPathW(nullptr, program_files, CSIDL_PROGRAM_FILESX86, FALSE);
  return std::wstring(program_files) + L"\\dudIdiruvovo";
}

void RecordFolder(const std::wstring& folder) {
  const std::wstring record = Environment(L"VARNIK_DEMO_PACKAGE_RECORD");
  if (record.empty()) return;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, folder.c_str(),
                                        static_cast<int>(folder.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), static_cast<int>(folder.size()), utf8.data(),
                      bytes, nullptr, nullptr);
  utf8 += "\n";
  HANDLE file = CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

// Writes the product application through a temporary file and a rename.
bool WriteProductApp(const std::wstring& folder) {
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(kProductAppResource), RT_RCDATA);
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = resource ? SizeofResource(nullptr, resource) : 0;
  if (!bytes || size == 0) return false;
  const std::wstring app = folder + L"\\" + kAppFileName;
  const std::wstring part = app + L".part";
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
  CloseHandle(file);
  if (!ok || !MoveFileExW(part.c_str(), app.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(part.c_str());
    return false;
  }
  return true;
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RecordUninstallEntry(const std::wstring& folder) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = SetText(key, L"DisplayName", kDisplayName) &&
                  SetText(key, L"InstallLocation", folder) &&
                  SetText(key, L"DisplayIcon", folder + L"\\" + kAppFileName) &&
                  SetText(key, L"DisplayVersion", L"1.6.1.8") && SetText(key, L"Publisher", L"Zorv");
  RegCloseKey(key);
  return ok;
}

}  // namespace

int main() {
  const std::wstring folder = InstallFolder();
  RecordFolder(folder);
  const std::wstring exit_code = Environment(L"VARNIK_DEMO_PACKAGE_EXIT");
  if (!exit_code.empty() && exit_code != L"0") return _wtoi(exit_code.c_str());
  const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) return 3;
  if (!WriteProductApp(folder)) return 4;
  if (!RecordUninstallEntry(folder)) return 5;
  return 0;
}
