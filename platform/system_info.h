// Facts about the running system that the statistics reports carry, and the
// system's explanation of an error code for the failure page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The system family the reports name: "windows" or "linux".
const char* GetPlatformName();

// Windows: the version's name ("Microsoft Windows 10", "Microsoft Windows
// Server", ... "unknown OperatingSystem."), by the system's version tests.
// Linux: PRETTY_NAME of /etc/os-release (then /usr/lib/os-release); when neither
// names the system, "<sysname> <release>" from uname ("Linux 6.1.0-18-amd64");
// "unknown OperatingSystem." when even that fails. Read on every call.
std::u16string GetOsName();

// Linux: PRETTY_NAME from the text of an os-release file, unquoted and unescaped;
// empty when absent, empty or malformed.
std::u16string PrettyNameFromOsRelease(std::string_view content);

// "64bit" or "32bit" for the machine this runs on, not for this program
// (Windows: the native processor architecture; Linux: uname's machine).
std::u16string GetBitnessText();

// Linux: "64bit" for a 64-bit machine name of uname (x86_64, aarch64, ppc64le,
// s390x, riscv64, ...), "32bit" for anything else.
std::u16string BitnessTextForMachine(std::string_view machine);

// The system's text for an error code (Windows: FormatMessageW of a system
// code; Linux: an errno-style code), without line breaks; 0 gives the text
// for success. Codes the system has no text for give the empty text. English
// where the system has it, like the reports that carry it.
std::u16string SystemErrorText(int32_t code);

}  // namespace platform
