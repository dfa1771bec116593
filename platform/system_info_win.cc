#include <windows.h>

#include "base/string_util.h"
#include "platform/system_info.h"
#include "platform/wide_text_win.h"

namespace platform {
namespace {

// Whether the system's version is at least major.minor with that service
// pack, compared in that order.
bool IsVersionAtLeast(WORD major, WORD minor, WORD service_pack_major) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.wServicePackMajor = service_pack_major;
  DWORDLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                            mask) != FALSE;
}

// Any edition but a workstation (domain controllers included).
bool IsServerSystem() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.wProductType = VER_NT_WORKSTATION;
  const DWORDLONG mask = VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
  return VerifyVersionInfoW(&info, VER_PRODUCT_TYPE, mask) == FALSE;
}

}  // namespace

const char* GetPlatformName() { return "windows"; }

std::u16string GetOsName() {
  struct Version {
    WORD major, minor, service_pack;
    const char16_t* name;
  };
  // Newest first: the first one the system reaches names it.
  static const Version kVersions[] = {
      {10, 0, 0, u"Microsoft Windows 10"},       {6, 3, 0, u"Microsoft Windows 8.1"},
      {6, 2, 0, u"Microsoft Windows 8"},         {6, 1, 1, u"Microsoft Windows 7 sp1"},
      {6, 1, 0, u"Microsoft Windows 7"},         {6, 0, 2, u"Microsoft Windows Vista sp2"},
      {6, 0, 1, u"Microsoft Windows Vista sp1"}, {6, 0, 0, u"Microsoft Windows Vista"},
      {5, 1, 3, u"Microsoft Windows xp sp3"},    {5, 1, 2, u"Microsoft Windows xp sp2"},
      {5, 1, 1, u"Microsoft Windows xp sp1"},    {5, 1, 0, u"Microsoft Windows xp"},
  };
  if (IsServerSystem()) return u"Microsoft Windows Server";
  for (const Version& version : kVersions) {
    if (IsVersionAtLeast(version.major, version.minor, version.service_pack)) return version.name;
  }
  return u"unknown OperatingSystem.";
}

std::u16string GetBitnessText() {
  SYSTEM_INFO info = {};
  GetNativeSystemInfo(&info);
  const WORD architecture = info.wProcessorArchitecture;
  return architecture == PROCESSOR_ARCHITECTURE_AMD64 || architecture == PROCESSOR_ARCHITECTURE_IA64
             ? u"64bit"
             : u"32bit";
}

std::u16string SystemErrorText(int32_t code) {
  // English first, like the reports that carry it; then whatever language
  // the system has the text in.
  const DWORD flags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  wchar_t buffer[1024] = {};
  DWORD length = FormatMessageW(flags, nullptr, static_cast<DWORD>(code),
                                MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), buffer, 1024, nullptr);
  if (length == 0) {
    length = FormatMessageW(flags, nullptr, static_cast<DWORD>(code), 0, buffer, 1024, nullptr);
  }
  std::u16string text = FromWide(std::wstring_view(buffer, length));
  nbase::ReplaceAll(text, u"\r", u"");
  nbase::ReplaceAll(text, u"\n", u"");
  while (!text.empty() && text.back() == u' ') text.pop_back();
  return text;
}

}  // namespace platform
