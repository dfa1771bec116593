// The key/value table of one statistics event.
//
// Keys are unique and kept in ascending order of UTF-16 code units (ordinal,
// case-sensitive: "Z" sorts before "a"); setting a key that is already there
// keeps the first value. Numbers go in as decimal text.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace report {

class EventData {
 public:
  using Table = std::map<std::u16string, std::u16string>;

  EventData() = default;
  EventData(std::initializer_list<Table::value_type> entries);

  // Inserts unless `key` is present; returns whether it was inserted.
  bool Set(std::u16string key, std::u16string value);
  // Decimal text, a minus sign for negative values.
  bool SetNumber(std::u16string key, int64_t value);

  // The value of `key`, or nullptr.
  const std::u16string* Find(const std::u16string& key) const;

  size_t size() const { return table_.size(); }
  bool empty() const { return table_.empty(); }
  Table::const_iterator begin() const { return table_.begin(); }
  Table::const_iterator end() const { return table_.end(); }

  // The data object of the report envelope: {"key":"value",...}, "{}" when
  // empty, no white space, keys and values JSON-escaped.
  std::u16string ToJsonText() const;

 private:
  Table table_;
};

}  // namespace report
