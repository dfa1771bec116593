#include "ui/skin/resource_loader.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "ui/skin/lang_strings.h"
#include "ui/skin/zip_archive.h"

namespace ui {

namespace {

// The loader's process-wide state; touched only on the UI thread.
struct LoaderState {
  std::unique_ptr<ZipArchive> package;
  std::u16string resource_root;
  std::u16string theme_folder;
  std::u16string language_folder;
  std::u16string file_system_root;
  bool global_xml_read = false;
  bool global_xml_found = false;
  std::string global_xml;
};

LoaderState& State() {
  static LoaderState state;
  return state;
}

void ForgetGlobalXml() {
  State().global_xml_read = false;
  State().global_xml_found = false;
  State().global_xml.clear();
}

// Backslashes to "/" and exactly one trailing "/" (none for an empty folder).
std::u16string AsFolder(std::u16string_view folder) {
  std::u16string result(folder);
  for (char16_t& c : result) {
    if (c == u'\\') c = u'/';
  }
  while (result.size() > 1 && result.back() == u'/' && result[result.size() - 2] == u'/') {
    result.pop_back();
  }
  if (!result.empty() && result.back() != u'/') result.push_back(u'/');
  return result;
}

// Drops "." segments and folds "x/.." pairs; a leading ".." stays.
std::u16string FoldSegments(std::u16string_view path) {
  const bool rooted = !path.empty() && path.front() == u'/';
  const bool folder = !path.empty() && path.back() == u'/';
  std::vector<std::u16string_view> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'/', start);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view segment = path.substr(start, end - start);
    if (segment.empty() || segment == u".") {
    } else if (segment == u".." && !segments.empty() && segments.back() != u"..") {
      segments.pop_back();
    } else {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::u16string result = rooted ? u"/" : u"";
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i) result += u'/';
    result += segments[i];
  }
  if (folder && !segments.empty()) result += u'/';
  return result;
}

bool ReadFileBytes(const std::u16string& path, std::string* bytes) {
  std::u16string full = path;
  const std::u16string& root = State().file_system_root;
  if (!full.empty() && full.front() != u'/' && !root.empty()) full = root + full;
  const std::string native = nbase::Utf16ToUtf8(full);
  if (native.empty()) return false;
  std::error_code error;
  const std::filesystem::path file(native);
  if (!std::filesystem::is_regular_file(file, error)) return false;
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > ResourceLoader::kMaxFileBytes) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::string data(static_cast<size_t>(size), '\0');
  in.read(data.data(), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(in.gcount()) != size) return false;
  *bytes = std::move(data);
  return true;
}

}  // namespace

bool ResourceLoader::OpenGlobalPackage(std::string bytes) {
  CloseGlobalPackage();
  auto package = std::make_unique<ZipArchive>();
  if (package->Open(std::move(bytes)) != ZipArchive::Result::kOk) return false;
  State().package = std::move(package);
  return true;
}

bool ResourceLoader::OpenEmbeddedPackage() {
  std::string bytes;
  if (!platform::LoadEmbeddedResource(platform::kThemeResourceType, platform::kThemeResourceId,
                                      &bytes)) {
    CloseGlobalPackage();
    return false;
  }
  return OpenGlobalPackage(std::move(bytes));
}

void ResourceLoader::CloseGlobalPackage() {
  State().package.reset();
  ForgetGlobalXml();
}

bool ResourceLoader::IsGlobalPackageOpen() { return State().package != nullptr; }

void ResourceLoader::SetResourceRoot(std::u16string_view root) {
  State().resource_root = AsFolder(root);
  ForgetGlobalXml();
}

const std::u16string& ResourceLoader::GetResourceRoot() { return State().resource_root; }

void ResourceLoader::SetThemeFolder(std::u16string_view folder) {
  State().theme_folder = AsFolder(folder);
  ForgetGlobalXml();
}

std::u16string ResourceLoader::GetThemeRoot() {
  return AsFolder(State().resource_root + State().theme_folder);
}

void ResourceLoader::SetLanguageFolder(std::u16string_view folder) {
  State().language_folder = AsFolder(folder);
}

std::u16string ResourceLoader::GetLanguageFilePath() {
  return State().resource_root + State().language_folder + u"gdstrings.ini";
}

void ResourceLoader::SetFileSystemRoot(std::u16string_view folder) {
  State().file_system_root = AsFolder(folder);
  Markup::SetResourceFolder(State().file_system_root);
  ForgetGlobalXml();
}

std::u16string ResourceLoader::GetLayoutPath(std::u16string_view skin_folder,
                                             std::u16string_view skin_file) {
  return NormalizePath(GetThemeRoot() + AsFolder(skin_folder) + std::u16string(skin_file));
}

std::u16string ResourceLoader::LookupKey(std::u16string_view path) {
  std::u16string key = NormalizePath(path);
  for (char16_t& c : key) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return key;
}

std::u16string ResourceLoader::NormalizePath(std::u16string_view path) {
  std::u16string result(path);
  for (char16_t& c : result) {
    if (c == u'\\') c = u'/';
  }
  return FoldSegments(result);
}

std::u16string ResourceLoader::ResolveRelative(std::u16string_view file, std::u16string_view name) {
  const std::u16string normalized_name = NormalizePath(name);
  if (!normalized_name.empty() && normalized_name.front() == u'/') return normalized_name;
  const std::u16string normalized_file = NormalizePath(file);
  const size_t slash = normalized_file.rfind(u'/');
  const std::u16string folder =
      slash == std::u16string::npos ? std::u16string() : normalized_file.substr(0, slash + 1);
  return NormalizePath(folder + std::u16string(name));
}

bool ResourceLoader::ReadResource(std::u16string_view path, std::string* bytes) {
  const std::u16string normalized = NormalizePath(path);
  if (normalized.empty()) return false;
  if (State().package) {
    return State().package->ReadEntry(normalized, bytes) == ZipArchive::Result::kOk;
  }
  return ReadFileBytes(normalized, bytes);
}

bool ResourceLoader::HasResource(std::u16string_view path) {
  const std::u16string normalized = NormalizePath(path);
  if (normalized.empty()) return false;
  if (State().package) return State().package->HasEntry(normalized);
  std::string bytes;
  return ReadFileBytes(normalized, &bytes);
}

bool ResourceLoader::LoadMarkup(std::u16string_view layout, Markup* markup) {
  if (!layout.empty() && layout.front() == u'<') return markup->LoadFromString(layout);
  if (!State().package) return markup->LoadFromFile(NormalizePath(layout));
  std::string bytes;
  if (!ReadResource(layout, &bytes)) {
    markup->SetLastError(u"Error opening file");
    return false;
  }
  return markup->LoadFromUtf8(bytes);
}

bool ResourceLoader::LoadGlobalStyle(Markup* markup) {
  LoaderState& state = State();
  if (!state.global_xml_read) {
    state.global_xml_read = true;
    state.global_xml_found = ReadResource(GetThemeRoot() + u"global.xml", &state.global_xml);
  }
  if (!state.global_xml_found) {
    markup->SetLastError(u"Error opening file");
    return false;
  }
  return markup->LoadFromUtf8(state.global_xml);
}

bool ResourceLoader::LoadLanguage() {
  std::string bytes;
  if (!ReadResource(GetLanguageFilePath(), &bytes)) {
    LangStrings::Global().Clear();
    return false;
  }
  LangStrings::Global().Parse(bytes);
  return true;
}

}  // namespace ui
