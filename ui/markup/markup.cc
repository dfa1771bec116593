#include "ui/markup/markup.h"

#include <filesystem>
#include <fstream>
#include <limits>

#include "base/utf.h"

namespace ui {

namespace {

// Texts of the parser's failures, used exactly as written.
constexpr char kErrorOpening[] = "Error opening file";
constexpr char kErrorEmpty[] = "File is empty";
constexpr char kErrorTooLarge[] = "File too large";
constexpr char kErrorReading[] = "Could not read file";
constexpr char kErrorDecoding[] = "File is not valid UTF-8";
constexpr char kErrorStartTag[] = "Expected start tag";
constexpr char kErrorElementName[] = "Error parsing element name";
constexpr char kErrorStartTagClosing[] = "Expected start-tag closing";
constexpr char kErrorEndTagStart[] = "Expected end-tag start";
constexpr char kErrorUnmatched[] = "Unmatched closing tag";
constexpr char kErrorAttributes[] = "Error while parsing attributes";
constexpr char kErrorAttributeValue[] = "Expected attribute value";
constexpr char kErrorAttributeString[] = "Error while parsing attribute string";
constexpr char kErrorTooDeep[] = "Elements nested too deeply";

bool IsNameChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u':' || c >= 0x80;
}

std::u16string& ResourceFolder() {
  static std::u16string folder;
  return folder;
}

struct Entity {
  std::u16string_view text;
  char16_t value;
};

constexpr Entity kEntities[] = {
    {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''},
};

}  // namespace

void Markup::SetResourceFolder(std::u16string folder) { ResourceFolder() = std::move(folder); }

const std::u16string& Markup::GetResourceFolder() { return ResourceFolder(); }

void Markup::Release() {
  std::u16string().swap(buffer_);
  std::vector<Element>().swap(elements_);
  length_ = 0;
}

// Drops the document but keeps the element table's storage: a window loads
// several layouts in a row, and fresh pages cost more than the parse itself.
void Markup::Reset() {
  std::u16string().swap(buffer_);
  elements_.clear();
  length_ = 0;
}

void Markup::SetLastError(std::u16string_view message, std::u16string_view location) {
  Reset();
  error_message_ = std::u16string(message.substr(0, kMaxErrorMessage));
  error_location_ = std::u16string(location.substr(0, kMaxErrorLocation));
}

bool Markup::Fail(const char* message, size_t pos) {
  error_message_ = nbase::Utf8ToUtf16(message).substr(0, kMaxErrorMessage);
  error_location_.clear();
  for (size_t i = pos; i < length_ && buffer_[i] != 0 && error_location_.size() < kMaxErrorLocation;
       ++i) {
    error_location_.push_back(buffer_[i]);
  }
  return false;
}

bool Markup::LoadFromFile(std::u16string_view path) {
  Reset();
  std::u16string full(path);
  const std::u16string& folder = ResourceFolder();
  if (!full.empty() && full[0] != u'/' && !folder.empty()) {
    full = folder + (folder.back() == u'/' ? u"" : u"/") + full;
  }
  std::string utf8 = nbase::Utf16ToUtf8(full);
  std::error_code error;
  const std::filesystem::path file(utf8);
  if (utf8.empty() || !std::filesystem::is_regular_file(file, error)) {
    SetLastError(nbase::Utf8ToUtf16(kErrorOpening));
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (!in || error) {
    SetLastError(nbase::Utf8ToUtf16(kErrorOpening));
    return false;
  }
  if (size == 0) {
    SetLastError(nbase::Utf8ToUtf16(kErrorEmpty));
    return false;
  }
  if (size > kMaxFileBytes) {
    SetLastError(nbase::Utf8ToUtf16(kErrorTooLarge));
    return false;
  }
  std::string bytes(static_cast<size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(in.gcount()) != size) {
    SetLastError(nbase::Utf8ToUtf16(kErrorReading));
    return false;
  }
  return LoadFromUtf8(bytes);
}

bool Markup::LoadFromUtf8(std::string_view bytes) {
  Reset();
  if (bytes.empty()) {
    SetLastError(nbase::Utf8ToUtf16(kErrorEmpty));
    return false;
  }
  if (bytes.size() > kMaxFileBytes) {
    SetLastError(nbase::Utf8ToUtf16(kErrorTooLarge));
    return false;
  }
  if (bytes.size() > 2 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  std::u16string text = nbase::Utf8ToUtf16(bytes);
  if (text.empty() && !bytes.empty()) {
    // The shared converter answers an illegal sequence with nothing; say so
    // instead of parsing an empty document that would look like success.
    SetLastError(nbase::Utf8ToUtf16(kErrorDecoding));
    return false;
  }
  // The decoded text becomes the buffer as it is; no second copy.
  return ParseBuffer(std::move(text));
}

bool Markup::LoadFromString(std::u16string_view text) { return ParseBuffer(std::u16string(text)); }

bool Markup::ParseBuffer(std::u16string text) {
  Reset();
  const size_t end = text.find(u'\0');
  if (end != std::u16string::npos) text.resize(end);
  if (text.size() >= std::numeric_limits<uint32_t>::max()) {
    SetLastError(nbase::Utf8ToUtf16(kErrorTooLarge));
    return false;
  }
  buffer_ = std::move(text);
  length_ = buffer_.size();
  return Parse();
}

bool Markup::Parse() {
  error_message_.clear();
  error_location_.clear();
  elements_.clear();
  const uint32_t root = AddElement();
  elements_[root].name = elements_[root].data = static_cast<uint32_t>(length_);
  size_t pos = 0;
  if (!ParseSiblings(pos, root, 1)) {
    Reset();
    return false;
  }
  return true;
}

uint32_t Markup::AddElement() {
  if (elements_.size() == elements_.capacity()) {
    const size_t capacity = elements_.capacity();
    elements_.reserve(capacity + capacity / 2 + 500);
  }
  elements_.push_back(Element{0, 0, 0, 0, 0});
  return static_cast<uint32_t>(elements_.size() - 1);
}

void Markup::SkipWhitespace(size_t& pos) const {
  while (pos < length_ && buffer_[pos] <= 32) ++pos;
}

size_t Markup::DecodeData(size_t& pos, char16_t stop, bool collapse_whitespace) {
  // Fast path: most texts hold nothing to rewrite, so nothing moves until the
  // first entity (or white space to collapse).
  while (pos < length_) {
    const char16_t c = buffer_[pos];
    if (c == stop || c == u'&' || (collapse_whitespace && c <= 32)) break;
    ++pos;
  }
  size_t dest = pos;
  while (pos < length_ && buffer_[pos] != stop) {
    const char16_t c = buffer_[pos];
    if (c == u'&') {
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        const size_t n = entity.text.size();
        if (pos + n <= length_ && std::u16string_view(buffer_.data() + pos, n) == entity.text) {
          buffer_[dest++] = entity.value;
          pos += n;
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    } else if (collapse_whitespace && c <= 32) {
      buffer_[dest++] = u' ';
      SkipWhitespace(pos);
      continue;
    }
    buffer_[dest++] = c;
    ++pos;
  }
  // The units the shortened text leaves free become blanks, so that walking
  // the terminated strings later skips them as white space.
  for (size_t i = dest; i < pos; ++i) buffer_[i] = u' ';
  return dest;
}

bool Markup::ParseAttributes(size_t& pos) {
  SkipWhitespace(pos);
  while (buffer_[pos] != u'>' && buffer_[pos] != u'/') {
    while (pos < length_ && IsNameChar(buffer_[pos])) ++pos;
    const size_t name_end = pos;
    SkipWhitespace(pos);
    if (buffer_[pos] != u'=') return Fail(kErrorAttributes, pos);
    ++pos;
    SkipWhitespace(pos);
    if (buffer_[pos] != u'"') return Fail(kErrorAttributeValue, pos);
    const size_t value_start = ++pos;
    const size_t value_end = DecodeData(pos, u'"', false);
    if (pos >= length_) return Fail(kErrorAttributeString, value_start);
    // Terminators go in only now, after the characters they replace (the
    // closing quotation mark, the one after the name) have been read.
    buffer_[pos] = u' ';
    buffer_[value_end] = 0;
    buffer_[name_end] = 0;
    ++pos;
    SkipWhitespace(pos);
  }
  return true;
}

bool Markup::ParseSiblings(size_t& pos, uint32_t parent, int depth) {
  if (depth > kMaxDepth) return Fail(kErrorTooDeep, pos);
  uint32_t previous = 0;
  for (;;) {
    SkipWhitespace(pos);
    // The document's first element, and elements directly inside it, may
    // stop at the end of the buffer without their end tags.
    if (pos >= length_ && parent <= 1) return true;
    if (buffer_[pos] != u'<') return Fail(kErrorStartTag, pos);
    if (buffer_[pos + 1] == u'/') {
      // An end tag closes this list; at the top level there is nothing it
      // could close.
      if (parent == 0) return Fail(kErrorUnmatched, pos);
      return true;
    }
    if (buffer_[pos + 1] == u'!' || buffer_[pos + 1] == u'?') {
      const std::u16string_view close = buffer_[pos + 1] == u'!' ? u"->" : u"?>";
      const std::u16string_view rest(buffer_.data() + pos + 2, length_ - pos - 2);
      const size_t found = rest.find(close);
      pos = found == std::u16string_view::npos ? length_ : pos + 2 + found + 2;
      continue;
    }

    const uint32_t index = AddElement();
    if (previous == 0) {
      elements_[parent].child = index;
    } else {
      elements_[previous].sibling = index;
    }
    previous = index;
    elements_[index].parent = parent;
    const size_t name_start = ++pos;
    elements_[index].name = static_cast<uint32_t>(name_start);
    while (pos < length_ && IsNameChar(buffer_[pos])) ++pos;
    if (pos >= length_) return Fail(kErrorElementName, name_start);
    const size_t name_end = pos;
    if (!ParseAttributes(pos)) return false;
    const char16_t closing = buffer_[pos];
    if (closing == u'/' && buffer_[pos + 1] != u'>') return Fail(kErrorStartTagClosing, pos);
    buffer_[name_end] = 0;

    if (closing == u'/') {
      // An empty element's text is the terminator where "/>" stood; it also
      // bounds the walk over its attributes.
      buffer_[pos] = 0;
      elements_[index].data = static_cast<uint32_t>(pos);
      pos += 2;
      continue;
    }

    ++pos;
    elements_[index].data = static_cast<uint32_t>(pos);
    const size_t text_end = DecodeData(pos, u'<', !preserve_whitespace_);
    if (pos >= length_) {
      if (parent <= 1) return true;
      return Fail(kErrorEndTagStart, pos);
    }
    if (buffer_[pos + 1] != u'/') {
      if (!ParseSiblings(pos, index, depth + 1)) return false;
      // Children may only end the buffer when this is the document's first
      // element (see above), and then the whole document is complete.
      if (pos >= length_) {
        buffer_[text_end] = 0;
        return true;
      }
    }

    // The end tag: "</", optional white space, the element's own name,
    // optional white space, ">".
    pos += 2;
    SkipWhitespace(pos);
    const size_t name_length = name_end - name_start;
    if (length_ - pos < name_length ||
        std::u16string_view(buffer_.data() + pos, name_length) !=
            std::u16string_view(buffer_.data() + name_start, name_length)) {
      return Fail(kErrorUnmatched, pos);
    }
    pos += name_length;
    SkipWhitespace(pos);
    if (buffer_[pos] != u'>') return Fail(kErrorUnmatched, pos);
    ++pos;
    // The text's terminator may stand where the "<" of a child or of the end
    // tag stood; both have been read by now.
    buffer_[text_end] = 0;
  }
}

MarkupNode Markup::GetRoot() const {
  if (elements_.size() < 2) return MarkupNode();
  return MarkupNode(this, 1);
}

}  // namespace ui
