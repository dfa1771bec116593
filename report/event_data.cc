#include "report/event_data.h"

#include <utility>

#include "base/utf.h"
#include "report/json_text.h"

namespace report {

EventData::EventData(std::initializer_list<Table::value_type> entries) {
  for (const auto& entry : entries) table_.insert(entry);
}

bool EventData::Set(std::u16string key, std::u16string value) {
  return table_.emplace(std::move(key), std::move(value)).second;
}

bool EventData::SetNumber(std::u16string key, int64_t value) {
  return Set(std::move(key), nbase::Utf8ToUtf16(std::to_string(value)));
}

const std::u16string* EventData::Find(const std::u16string& key) const {
  auto it = table_.find(key);
  return it == table_.end() ? nullptr : &it->second;
}

std::u16string EventData::ToJsonText() const {
  std::u16string text = u"{";
  bool first = true;
  for (const auto& [key, value] : table_) {
    if (!first) text += u',';
    first = false;
    AppendJsonString(text, key);
    text += u':';
    AppendJsonString(text, value);
  }
  text += u'}';
  return text;
}

}  // namespace report
