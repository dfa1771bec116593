// Markup: the small, non-validating parser of the skin's XML subset.
//
// The document is decoded into one UTF-16 buffer and parsed in place: element
// names, attribute names, attribute values and element texts become terminated
// strings inside that buffer, and a flat table of element records links them
// as a tree. Record 0 is an empty root whose children are the document's
// top-level elements. Nothing is copied per element, so a parsed document costs
// its text plus 20 bytes per element.
//
// Promises: any input gives either a parsed document or false with one of the
// fixed error texts and up to 49 characters of the input where it was found;
// nothing of a failed document is kept. Nesting is bounded (kMaxDepth), so a
// hostile file cannot exhaust the stack. Not thread-safe; a document and the
// nodes taken from it are used on one thread, and nodes are valid only while
// the document that made them is loaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/markup/markup_node.h"

namespace ui {

class Markup {
 public:
  // Largest file LoadFromFile and LoadFromUtf8 accept (4 MiB).
  static constexpr size_t kMaxFileBytes = 4 * 1024 * 1024;
  // Deepest element nesting accepted; far above any real layout.
  static constexpr int kMaxDepth = 256;
  static constexpr size_t kMaxErrorMessage = 99;
  static constexpr size_t kMaxErrorLocation = 49;

  Markup() = default;
  Markup(const Markup&) = delete;
  Markup& operator=(const Markup&) = delete;

  // Reads the file whole (1 byte to 4 MiB), drops a UTF-8 byte-order mark,
  // decodes UTF-8 and parses. A relative path is taken relative to the
  // resource folder (SetResourceFolder); an absolute one is used unchanged.
  bool LoadFromFile(std::u16string_view path);
  // Copies the text into a new buffer and parses it. The buffer ends at the
  // text's first U+0000, as a terminated string would.
  bool LoadFromString(std::u16string_view text);
  // The bytes of a file already read (a package entry): the same size
  // bounds, byte-order mark and decoding as LoadFromFile, then parsing.
  bool LoadFromUtf8(std::string_view bytes);

  // Frees the document and its storage; nodes taken from it must not be
  // used afterwards. Loading again drops the document but keeps the element
  // table's storage for the next one.
  void Release();
  bool IsValid() const { return !elements_.empty(); }

  // Element texts keep their white space when true (the default); when
  // false each run of white space in a text becomes a single blank.
  void SetPreserveWhitespace(bool preserve) { preserve_whitespace_ = preserve; }

  // The document's first top-level element (invalid node when there is
  // none); further top-level elements are its siblings.
  MarkupNode GetRoot() const;

  // The texts of the last failure: the message (at most 99 characters) and
  // the input where it was found (at most 49; empty for file errors).
  const std::u16string& GetLastErrorMessage() const { return error_message_; }
  const std::u16string& GetLastErrorLocation() const { return error_location_; }
  // Lets a loader that reads the bytes itself (from a package) report why it
  // could not; the document is released.
  void SetLastError(std::u16string_view message, std::u16string_view location = {});

  // Process-wide folder that relative paths of LoadFromFile start from. Set
  // once at start-up on the UI thread; empty means the working directory.
  static void SetResourceFolder(std::u16string folder);
  static const std::u16string& GetResourceFolder();

 private:
  friend class MarkupNode;

  // One element record; offsets count code units into buffer_, indices
  // count records.
  struct Element {
    uint32_t name;
    uint32_t child;
    uint32_t sibling;
    uint32_t parent;
    uint32_t data;
  };

  // Makes a buffer of `length` units plus the terminator, uninitialised: the
  // caller fills it before parsing.
  char16_t* NewBuffer(size_t length);
  // Parses the filled buffer, ending it at its first U+0000 when `scan_for_nul`.
  bool ParseFilledBuffer(bool scan_for_nul);
  bool Parse();
  void Reset();
  // A list of sibling elements (and the comments between them) under
  // `parent`, up to the end tag that closes it.
  bool ParseSiblings(size_t& pos, uint32_t parent, int depth);
  // The name and attributes of element `index` from its "<"; `has_content`
  // tells ">" (text and children follow) from "/>". `pos` is left on the
  // first unit after the tag.
  bool ParseStartTag(size_t& pos, uint32_t index, size_t* name_length, bool* has_content);
  bool ParseAttributes(size_t& pos);
  // "</", the name that `name_start` and `name_length` give, ">", with white
  // space allowed after "</" and after the name.
  bool ParseEndTag(size_t& pos, size_t name_start, size_t name_length);
  // Skips "<!...->" or "<?...?>" (or to the end when the close is missing).
  void SkipSection(size_t& pos) const;
  // Decodes entities from `pos` up to `stop` (or the end) in place; returns
  // the end of the decoded text. `pos` is left on the stop character.
  size_t DecodeData(size_t& pos, char16_t stop, bool collapse_whitespace);
  // The rest of DecodeData from the first unit that needs rewriting.
  size_t RewriteData(size_t& pos, char16_t stop, bool collapse_whitespace);
  // The first unit at or after `pos` that is `stop` or "&" (or the end).
  size_t FindStopOrEntity(size_t pos, char16_t stop) const;
  size_t SkipName(size_t pos) const;
  uint32_t AddElement();
  void SkipWhitespace(size_t& pos) const;
  bool Fail(const char* message, size_t pos);

  // The document: length_ units and a terminator. Not a std::u16string, whose
  // buffers start zero-filled: every unit is written by the decoder anyway.
  std::unique_ptr<char16_t[]> buffer_;
  size_t length_ = 0;
  std::vector<Element> elements_;
  bool preserve_whitespace_ = true;
  std::u16string error_message_;
  std::u16string error_location_;
};

}  // namespace ui
