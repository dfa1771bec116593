// ResourceLoader: where the skin's files come from. It holds the process-wide
// skin package (a ZIP archive in memory), the resource root, the theme folder
// and the language folder, turns a window's skin folder and file into a
// layout path, resolves image names relative to the layout that names them,
// and reads any of these paths from the package, or from the file system when
// no package is open.
//
// Promises: folder names given in the Windows form ("resources\",
// "themes\default") work unchanged: backslashes become "/" and folders get
// exactly one trailing "/". A path is looked up in the package normalised and
// without regard to ASCII case; without a package it is read relative to the
// file-system root (SetFileSystemRoot). "global.xml" is read once per open
// package and theme. All functions run on the UI thread (set up at start-up,
// then used by the window builder); none is thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "ui/markup/markup.h"

namespace ui {

class ResourceLoader {
 public:
  // Largest file read from the file system.
  static constexpr size_t kMaxFileBytes = 64u * 1024 * 1024;

  // Opens the archive bytes as the global package, closing an earlier one
  // first. False (and no package open) when the archive does not open.
  static bool OpenGlobalPackage(std::string bytes);
  // Opens the skin package the executable carries (resource "THEME" 136) as
  // the global package. False, with no package open, when the executable
  // carries none or it does not open.
  static bool OpenEmbeddedPackage();
  static void CloseGlobalPackage();
  static bool IsGlobalPackageOpen();

  // "resources\" and "resources/" both give "resources/".
  static void SetResourceRoot(std::u16string_view root);
  static const std::u16string& GetResourceRoot();
  // "themes\default" and friends; the theme root is the resource root joined
  // with it and a trailing "/".
  static void SetThemeFolder(std::u16string_view folder);
  static std::u16string GetThemeRoot();
  // "lang\zh_CN"; its file is read relative to the resource root.
  static void SetLanguageFolder(std::u16string_view folder);
  static std::u16string GetLanguageFilePath();
  // The folder that relative paths are read from when no package is open
  // (empty: the working directory). The markup parser uses it as well.
  static void SetFileSystemRoot(std::u16string_view folder);

  // Theme root + skin folder + "/" + skin file.
  static std::u16string GetLayoutPath(std::u16string_view skin_folder,
                                      std::u16string_view skin_file);
  // `name` taken relative to the folder of `file` ("../public/x.png" from a
  // layout in "basic/" reaches the theme's "public/"), with "." and ".."
  // segments resolved. A name beginning with "/" stays as it is.
  static std::u16string ResolveRelative(std::u16string_view file, std::u16string_view name);
  // The lookup form of any path: backslashes become "/", "//", "." and
  // "x/.." fold away.
  static std::u16string NormalizePath(std::u16string_view path);
  // The normalised path in ASCII lower case: one key per package entry,
  // however a layout spells its name (caches of decoded images use it).
  static std::u16string LookupKey(std::u16string_view path);

  // Reads the whole file at `path` from the package, or from the file system
  // when none is open. False when it is absent or cannot be read.
  static bool ReadResource(std::u16string_view path, std::string* bytes);
  static bool HasResource(std::u16string_view path);

  // Loads a layout into `markup`: text that begins with "<" is parsed as it
  // is; otherwise the file is read (package first, as above) and parsed. On
  // failure the markup holds the error texts.
  static bool LoadMarkup(std::u16string_view layout, Markup* markup);
  // Parses the theme's "global.xml"; its bytes are read once per package and
  // theme and kept.
  static bool LoadGlobalStyle(Markup* markup);
  // Reads the language file of the language folder into LangStrings::Global.
  static bool LoadLanguage();
};

}  // namespace ui
