#include "ui/markup/markup.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Letters, digits, "_" and ":" (and every unit from U+0080 on) make names.
struct NameCharTable {
  bool ascii[128] = {};
  constexpr NameCharTable() {
    for (int c = 'a'; c <= 'z'; ++c) ascii[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) ascii[c] = true;
    for (int c = '0'; c <= '9'; ++c) ascii[c] = true;
    ascii[static_cast<int>('_')] = true;
    ascii[static_cast<int>(':')] = true;
  }
};
constexpr NameCharTable kNameChars;

bool IsNameChar(char16_t c) { return c >= 0x80 || kNameChars.ascii[c]; }

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

// The index of the first U+0000 in `text`, or `length` when there is none.
size_t FindNul(const char16_t* text, size_t length) {
  size_t pos = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; pos + 8 <= length; pos += 8) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
    const int found = _mm_movemask_epi8(_mm_cmpeq_epi16(units, zero));
    if (found != 0) return pos + __builtin_ctz(static_cast<unsigned>(found)) / 2;
  }
#endif
  while (pos < length && text[pos] != 0) ++pos;
  return pos;
}

}  // namespace

void Markup::SetResourceFolder(std::u16string folder) { ResourceFolder() = std::move(folder); }

const std::u16string& Markup::GetResourceFolder() { return ResourceFolder(); }

void Markup::Release() {
  buffer_.reset();
  std::vector<Element>().swap(elements_);
  length_ = 0;
}

// Drops the document but keeps the element table's storage: a window loads
// several layouts in a row, and fresh pages cost more than the parse itself.
void Markup::Reset() {
  buffer_.reset();
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
  // Decoded straight into the parse buffer: no second copy.
  const size_t length = nbase::DecodeUtf8(bytes, NewBuffer(bytes.size()));
  if (length == nbase::kInvalidUtf8) {
    // The shared converter answers an illegal sequence with nothing; say so
    // instead of parsing an empty document that would look like success.
    SetLastError(nbase::Utf8ToUtf16(kErrorDecoding));
    return false;
  }
  length_ = length;
  // Only a zero byte decodes to U+0000, so the decoded text needs a search
  // for it only when the bytes hold one (memchr finds that fast).
  return ParseFilledBuffer(std::memchr(bytes.data(), 0, bytes.size()) != nullptr);
}

bool Markup::LoadFromString(std::u16string_view text) {
  Reset();
  char16_t* buffer = NewBuffer(text.size());
  std::memcpy(buffer, text.data(), text.size() * sizeof(char16_t));
  length_ = text.size();
  return ParseFilledBuffer(true);
}

char16_t* Markup::NewBuffer(size_t length) {
  buffer_.reset(new char16_t[length + 1]);
  return buffer_.get();
}

bool Markup::ParseFilledBuffer(bool scan_for_nul) {
  // The buffer ends at its first U+0000, as a terminated string would.
  if (scan_for_nul) length_ = FindNul(buffer_.get(), length_);
  if (length_ >= std::numeric_limits<uint32_t>::max()) {
    SetLastError(nbase::Utf8ToUtf16(kErrorTooLarge));
    return false;
  }
  buffer_[length_] = 0;
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

// The scans below need no bound: the text ends in a U+0000 and holds none
// before it (the loaders cut it at its first one), and every terminator the
// parser writes stands behind the place it reads. They test four units per
// turn, which costs fewer mispredicted loop exits than one.
void Markup::SkipWhitespace(size_t& pos) const {
  const char16_t* buffer = buffer_.get();
  // White space is U+0001 to U+0020; the final U+0000 is not.
  auto white = [](char16_t c) { return static_cast<unsigned>(c) - 1u < 32u; };
  for (;; pos += 4) {
    if (!white(buffer[pos])) return;
    if (!white(buffer[pos + 1])) {
      pos += 1;
      return;
    }
    if (!white(buffer[pos + 2])) {
      pos += 2;
      return;
    }
    if (!white(buffer[pos + 3])) {
      pos += 3;
      return;
    }
  }
}

size_t Markup::SkipName(size_t pos) const {
  const char16_t* buffer = buffer_.get();
  for (;; pos += 4) {
    if (!IsNameChar(buffer[pos])) return pos;
    if (!IsNameChar(buffer[pos + 1])) return pos + 1;
    if (!IsNameChar(buffer[pos + 2])) return pos + 2;
    if (!IsNameChar(buffer[pos + 3])) return pos + 3;
  }
}

size_t Markup::FindStopOrEntity(size_t pos, char16_t stop) const {
  const char16_t* buffer = buffer_.get();
#if defined(__SSE2__)
  // Values and texts run for a while before their end, and entities are
  // rare: eight units at a time while eight remain.
  const __m128i stops = _mm_set1_epi16(static_cast<short>(stop));
  const __m128i ampersands = _mm_set1_epi16(static_cast<short>(u'&'));
  while (pos + 8 <= length_) {
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + pos));
    const int found = _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi16(units, stops), _mm_cmpeq_epi16(units, ampersands)));
    if (found != 0) return pos + __builtin_ctz(static_cast<unsigned>(found)) / 2;
    pos += 8;
  }
#endif
  while (buffer[pos] != stop && buffer[pos] != u'&' && buffer[pos] != 0) ++pos;
  return pos;
}

size_t Markup::DecodeData(size_t& pos, char16_t stop, bool collapse_whitespace) {
  // Fast path: most texts hold nothing to rewrite, so nothing moves until the
  // first entity (or white space to collapse).
  if (collapse_whitespace) {
    while (pos < length_) {
      const char16_t c = buffer_[pos];
      if (c == stop || c == u'&' || c <= 32) break;
      ++pos;
    }
  } else {
    pos = FindStopOrEntity(pos, stop);
  }
  if (pos >= length_ || buffer_[pos] == stop) return pos;
  return RewriteData(pos, stop, collapse_whitespace);
}

size_t Markup::RewriteData(size_t& pos, char16_t stop, bool collapse_whitespace) {
  size_t dest = pos;
  while (pos < length_ && buffer_[pos] != stop) {
    const char16_t c = buffer_[pos];
    if (c == u'&') {
      bool decoded = false;
      for (const Entity& entity : kEntities) {
        const size_t n = entity.text.size();
        if (pos + n <= length_ && std::u16string_view(buffer_.get() + pos, n) == entity.text) {
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
    pos = SkipName(pos);
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

void Markup::SkipSection(size_t& pos) const {
  const std::u16string_view close = buffer_[pos + 1] == u'!' ? u"->" : u"?>";
  const std::u16string_view rest(buffer_.get() + pos + 2, length_ - pos - 2);
  const size_t found = rest.find(close);
  pos = found == std::u16string_view::npos ? length_ : pos + 2 + found + 2;
}

bool Markup::ParseStartTag(size_t& pos, uint32_t index, size_t* name_length,
                           bool* has_content) {
  const size_t name_start = ++pos;
  elements_[index].name = static_cast<uint32_t>(name_start);
  pos = SkipName(pos);
  if (pos >= length_) return Fail(kErrorElementName, name_start);
  const size_t name_end = pos;
  *name_length = name_end - name_start;
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
    *has_content = false;
    return true;
  }
  ++pos;
  elements_[index].data = static_cast<uint32_t>(pos);
  *has_content = true;
  return true;
}

bool Markup::ParseEndTag(size_t& pos, size_t name_start, size_t name_length) {
  pos += 2;
  SkipWhitespace(pos);
  if (length_ - pos < name_length ||
      std::u16string_view(buffer_.get() + pos, name_length) !=
          std::u16string_view(buffer_.get() + name_start, name_length)) {
    return Fail(kErrorUnmatched, pos);
  }
  pos += name_length;
  SkipWhitespace(pos);
  if (buffer_[pos] != u'>') return Fail(kErrorUnmatched, pos);
  ++pos;
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
      SkipSection(pos);
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
    size_t name_length = 0;
    bool has_content = false;
    if (!ParseStartTag(pos, index, &name_length, &has_content)) return false;
    if (!has_content) continue;

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
    if (!ParseEndTag(pos, elements_[index].name, name_length)) return false;
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
