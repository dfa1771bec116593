// The contents of a per-user registry hive in memory, and its file form.
// Key paths ("Software\Zorv\...", "\" between the parts) and value names
// compare without ASCII case, like the registry; each keeps the spelling it
// was created with. A value is a type and raw bytes (a REG_SZ carries its
// UTF-16LE text and the terminating NUL, as the writer gave it).
//
// File form, one record a line, every text as lower-case hex of its bytes:
//   varnik-hive 1
//   k <path as UTF-8 hex>
//   v <type> <name as UTF-8 hex> <data hex>      (belongs to the key above)
//   end <number of k and v lines>
// Anything else (a truncated file, an unknown line, a duplicate key or value,
// a value before any key, an undecodable name) makes the whole file damaged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Hive {
 public:
  struct Value {
    std::u16string name;
    uint32_t type = 0;
    std::string data;
  };
  struct Key {
    std::u16string path;
    std::vector<Value> values;
  };

  // Limits that keep a hive small and parseable.
  static constexpr size_t kMaxPathUnits = 32767;
  static constexpr size_t kMaxNameUnits = 16383;
  static constexpr size_t kMaxDataBytes = 1 << 20;

  // False when `text` is not a whole, well-formed hive; `hive` is untouched.
  static bool Parse(std::string_view text, Hive* hive);
  std::string Serialize() const;

  const Key* FindKey(std::u16string_view path) const;
  // The key, created (with no values) when missing. Null for an empty or
  // over-long path.
  Key* CreateKey(std::u16string_view path);

  // Null when the key or the value is absent.
  const Value* FindValue(std::u16string_view path, std::u16string_view name) const;
  // Sets or replaces a value of an existing key. False when the key is absent
  // or a limit is broken.
  bool SetValue(std::u16string_view path, std::u16string_view name, uint32_t type,
                std::string data);

  // Names of the direct subkeys of `path` (empty path: the top-level keys),
  // in the order their first descendant was created.
  std::vector<std::u16string> SubKeyNames(std::u16string_view path) const;

  const std::vector<Key>& keys() const { return keys_; }

 private:
  Key* FindMutableKey(std::u16string_view path);

  std::vector<Key> keys_;
};

}  // namespace platform
