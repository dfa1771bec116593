// The resources carried by the running executable: the skin package, the
// channel name and the version record. Any thread may ask.
//
// On Windows they are the executable's own PE resources, found with
// FindResourceW; the version record is the VERSIONINFO resource, handed out
// as its fixed file version in the text form below. On Linux they live in the
// table of resource_table.h, read from /proc/self/exe once per process with
// its small resources kept; the skin package, which the process asks for
// once, is read again when asked for instead of held a second time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr char16_t kThemeResourceType[] = u"THEME";
inline constexpr int32_t kThemeResourceId = 136;
inline constexpr char16_t kChannelResourceType[] = u"CHANNEL";
inline constexpr int32_t kChannelResourceId = 138;
// The file version as UTF-8 text "major.minor.build.revision" ("1.6.1.8").
inline constexpr char16_t kVersionResourceType[] = u"VERSION";
inline constexpr int32_t kVersionResourceId = 1;
// A channel name holds at most this many bytes; longer content is cut here.
inline constexpr size_t kMaxChannelBytes = 260;

// Copies the resource (`type`, `id`) of the running executable into `bytes`.
// False when the executable carries no table or no such resource.
bool LoadEmbeddedResource(std::u16string_view type, int32_t id, std::string* bytes);

// The same lookup in another executable (for tools and tests); on Windows
// the file is mapped as data only, never run. `path` is UTF-8.
bool LoadResourceFromFile(const std::string& path, std::u16string_view type, int32_t id,
                          std::string* bytes);

// The channel name of this build: the resource's bytes (at most 260) decoded
// as UTF-8 without any trimming. False when the resource is missing; true
// with an empty text when the bytes do not decode.
bool ReadChannel(std::u16string* channel);

// The same from channel bytes already in hand.
std::u16string DecodeChannel(std::string_view bytes);

}  // namespace platform
