#include "platform/hive.h"

#include "base/string_util.h"
#include "base/utf.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "varnik-hive 1";
constexpr char kHexDigits[] = "0123456789abcdef";

std::string ToHex(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out.push_back(kHexDigits[c >> 4]);
    out.push_back(kHexDigits[c & 15]);
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool FromHex(std::string_view hex, std::string* bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes->clear();
  bytes->reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    int high = HexValue(hex[i]);
    int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

// A decimal number without sign or leading zeros, at most `max`.
bool ParseNumber(std::string_view text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return false;
  uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    uint64_t digit = static_cast<uint64_t>(c - '0');
    if (result > (max - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

// A UTF-16 text from hex of its UTF-8 form; false when either step fails or
// the text is empty where it must not be.
bool TextFromHex(std::string_view hex, bool allow_empty, std::u16string* text) {
  std::string bytes;
  if (!FromHex(hex, &bytes)) return false;
  if (bytes.empty()) {
    text->clear();
    return allow_empty;
  }
  *text = nbase::Utf8ToUtf16(bytes);
  return !text->empty() && text->find(u'\0') == std::u16string::npos;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    size_t space = line.find(' ', start);
    fields.push_back(
        line.substr(start, space == std::string_view::npos ? line.npos : space - start));
    if (space == std::string_view::npos) break;
    start = space + 1;
  }
  return fields;
}

}  // namespace

bool Hive::Parse(std::string_view text, Hive* hive) {
  Hive result;
  size_t pos = 0;
  auto next_line = [&](std::string_view* line) {
    if (pos >= text.size()) return false;
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) return false;  // every line, the last too, ends with \n
    *line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
  };
  std::string_view line;
  if (!next_line(&line) || line != kHeader) return false;
  uint64_t records = 0;
  while (true) {
    if (!next_line(&line)) return false;  // no "end": truncated
    std::vector<std::string_view> fields = SplitFields(line);
    if (fields[0] == "end") {
      uint64_t expected = 0;
      if (fields.size() != 2 || !ParseNumber(fields[1], UINT64_MAX, &expected)) return false;
      if (expected != records || pos != text.size()) return false;
      break;
    }
    if (fields[0] == "k" && fields.size() == 2) {
      std::u16string path;
      if (!TextFromHex(fields[1], false, &path) || path.size() > kMaxPathUnits) return false;
      if (result.FindKey(path) != nullptr) return false;
      result.keys_.push_back(Key{std::move(path), {}});
    } else if (fields[0] == "v" && fields.size() == 4) {
      if (result.keys_.empty()) return false;
      uint64_t type = 0;
      Value value;
      if (!ParseNumber(fields[1], UINT32_MAX, &type)) return false;
      if (!TextFromHex(fields[2], true, &value.name) || value.name.size() > kMaxNameUnits) {
        return false;
      }
      if (fields[3].size() > 2 * kMaxDataBytes || !FromHex(fields[3], &value.data)) return false;
      value.type = static_cast<uint32_t>(type);
      Key& key = result.keys_.back();
      for (const Value& existing : key.values) {
        if (nbase::EqualsIgnoreAsciiCase(existing.name, value.name)) return false;
      }
      key.values.push_back(std::move(value));
    } else {
      return false;
    }
    ++records;
  }
  *hive = std::move(result);
  return true;
}

std::string Hive::Serialize() const {
  std::string out(kHeader);
  out.push_back('\n');
  uint64_t records = 0;
  for (const Key& key : keys_) {
    out += "k " + ToHex(nbase::Utf16ToUtf8(key.path)) + "\n";
    ++records;
    for (const Value& value : key.values) {
      out += "v " + std::to_string(value.type) + " " + ToHex(nbase::Utf16ToUtf8(value.name)) + " " +
             ToHex(value.data) + "\n";
      ++records;
    }
  }
  out += "end " + std::to_string(records) + "\n";
  return out;
}

const Hive::Key* Hive::FindKey(std::u16string_view path) const {
  for (const Key& key : keys_) {
    if (nbase::EqualsIgnoreAsciiCase(key.path, path)) return &key;
  }
  return nullptr;
}

Hive::Key* Hive::FindMutableKey(std::u16string_view path) {
  return const_cast<Key*>(FindKey(path));
}

Hive::Key* Hive::CreateKey(std::u16string_view path) {
  if (path.empty() || path.size() > kMaxPathUnits) return nullptr;
  // A path that would not survive the file form (a lone surrogate at the end,
  // a NUL) is refused instead of damaging the hive.
  std::string utf8 = nbase::Utf16ToUtf8(path);
  if (utf8.empty() || nbase::Utf8ToUtf16(utf8) != path || path.find(u'\0') != path.npos) {
    return nullptr;
  }
  if (Key* key = FindMutableKey(path)) return key;
  keys_.push_back(Key{std::u16string(path), {}});
  return &keys_.back();
}

const Hive::Value* Hive::FindValue(std::u16string_view path, std::u16string_view name) const {
  const Key* key = FindKey(path);
  if (key == nullptr) return nullptr;
  for (const Value& value : key->values) {
    if (nbase::EqualsIgnoreAsciiCase(value.name, name)) return &value;
  }
  return nullptr;
}

bool Hive::SetValue(std::u16string_view path, std::u16string_view name, uint32_t type,
                    std::string data) {
  Key* key = FindMutableKey(path);
  if (key == nullptr || name.size() > kMaxNameUnits || data.size() > kMaxDataBytes) return false;
  if (!name.empty()) {
    std::string utf8 = nbase::Utf16ToUtf8(name);
    if (utf8.empty() || nbase::Utf8ToUtf16(utf8) != name || name.find(u'\0') != name.npos) {
      return false;
    }
  }
  for (Value& value : key->values) {
    if (nbase::EqualsIgnoreAsciiCase(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return true;
    }
  }
  key->values.push_back(Value{std::u16string(name), type, std::move(data)});
  return true;
}

std::vector<std::u16string> Hive::SubKeyNames(std::u16string_view path) const {
  std::vector<std::u16string> names;
  for (const Key& key : keys_) {
    std::u16string_view rest = key.path;
    if (!path.empty()) {
      if (rest.size() <= path.size() + 1 || rest[path.size()] != u'\\' ||
          !nbase::EqualsIgnoreAsciiCase(rest.substr(0, path.size()), path)) {
        continue;
      }
      rest.remove_prefix(path.size() + 1);
    }
    std::u16string_view name = rest.substr(0, rest.find(u'\\'));
    if (name.empty()) continue;
    bool seen = false;
    for (const std::u16string& existing : names) {
      seen = seen || nbase::EqualsIgnoreAsciiCase(existing, name);
    }
    if (!seen) names.emplace_back(name);
  }
  return names;
}

}  // namespace platform
