// The facts every statistics report carries about where it comes from: the
// installer's version text and a stable per-user machine identifier, with the
// MD5 helper the identifier is made with. (The system's name and bitness come
// straight from platform/system_info.h.)
//
// The version text and the identifier are computed once per process and then
// served from a cache, from any thread. Nothing here fails towards its caller:
// a missing version record gives "1.0.0.0", an unwritable registry still
// gives an identifier for this process.
#pragma once

#include <cstdint>
#include <string>

#include "base/thread_ids.h"

namespace report {

// The version recorded in the executable at `path` (empty: the running one),
// as "major.minor.build.revision". Cached on the first call; later calls
// return the first result whatever path they name.
std::u16string GetFileVersionText(std::u16string path = std::u16string());

// The machine identifier: the stored UniqueId value unchanged when it is not
// empty; otherwise a new one (see NewMachineIdentifier) that is written back.
// The registry is read once per process.
std::u16string GetMachineId();

// The same for the start-up, whose window should not wait for a disk: a new
// identifier is cached and returned at once, and written back by a task
// posted to `writer` (at once, on this thread, when that thread is not
// there). Reports posted to the same thread afterwards go out after it.
std::u16string GetMachineIdWrittenOn(nbase::ThreadId writer);

// A fresh identifier: MD5 (Md5Hex) of a new random GUID's braced text. When
// `guid_text` is given it receives that text.
std::u16string NewMachineIdentifier(std::string* guid_text = nullptr);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case, from 16 GUID bytes:
// a 32-bit field (bytes 0-3), two 16-bit fields (4-5, 6-7), eight bytes.
// The fields are read in the machine's byte order, as the GUID struct is.
std::string FormatGuidText(const uint8_t (&bytes)[16]);

// The MD5 digest (RFC 1321) of the UTF-8 form of `text`, up to its first NUL,
// as 32 upper-case hexadecimal digits.
std::u16string Md5Hex(std::u16string text);

// Forgets both caches, so that a test can watch a first computation again.
void ResetIdentityCachesForTesting();

}  // namespace report
