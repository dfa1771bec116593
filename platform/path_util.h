// Path texts of the product. Paths travel as UTF-16 between the layers and as
// UTF-8 to the system; every place that joins or splits paths goes through
// these helpers, so the separator is written in exactly one place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The separator this system writes: "\" on Windows, "/" elsewhere. Windows
// also accepts "/" in paths, so there both count as separators when paths
// are read.
#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// True for a character that separates path components on this system.
constexpr bool IsPathSeparator(char16_t c) {
  return c == kPathSeparator || c == u'/';
}

// `folder`, exactly one separator, then `name`: trailing separators of the
// folder and leading separators of the name are dropped first. `name` may
// hold several components written with "/" (the portable form, as in
// "zorv/dudIdiruvovo"); they are joined with the system's separator. An
// empty folder gives a rooted name ("/name"), as an unresolved folder did
// on the original platform ("\name" on Windows).
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

// `folder` with exactly one trailing separator ("a" and "a/" both give "a/";
// "a//" gives "a/"). An empty folder gives "/". Windows writes "\" instead.
std::u16string WithTrailingSeparator(std::u16string_view folder);

// The folder part of `path`: everything before its last separator ("/" for
// a name right under the root, empty when there is no separator).
std::u16string FolderOfPath(std::u16string_view path);

// The non-empty components of `path`; separators in a row count as one.
std::vector<std::u16string> SplitPath(std::u16string_view path);

// UTF-16 path to the system's UTF-8 form and back. A path that does not
// convert gives an empty text, which every service treats as "no such path".
std::string ToNativePath(std::u16string_view path);
std::u16string FromNativePath(std::string_view path);

}  // namespace platform
