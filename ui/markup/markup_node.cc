#include "ui/markup/markup_node.h"

#include "ui/markup/markup.h"

namespace ui {

std::u16string_view MarkupNode::StringAt(uint32_t offset) const {
  const char16_t* text = owner_->buffer_.get() + offset;
  return std::u16string_view(text, std::char_traits<char16_t>::length(text));
}

MarkupNode MarkupNode::GetParent() const {
  if (!owner_) return MarkupNode();
  const uint32_t parent = owner_->elements_[index_].parent;
  return parent == 0 ? MarkupNode() : MarkupNode(owner_, parent);
}

MarkupNode MarkupNode::GetSibling() const {
  if (!owner_) return MarkupNode();
  const uint32_t sibling = owner_->elements_[index_].sibling;
  return sibling == 0 ? MarkupNode() : MarkupNode(owner_, sibling);
}

MarkupNode MarkupNode::GetChild() const {
  if (!owner_) return MarkupNode();
  const uint32_t child = owner_->elements_[index_].child;
  return child == 0 ? MarkupNode() : MarkupNode(owner_, child);
}

MarkupNode MarkupNode::GetChild(std::u16string_view name) const {
  for (MarkupNode node = GetChild(); node.IsValid(); node = node.GetSibling()) {
    if (node.GetName() == name) return node;
  }
  return MarkupNode();
}

bool MarkupNode::HasChildren() const { return owner_ && owner_->elements_[index_].child != 0; }

bool MarkupNode::HasSiblings() const { return owner_ && owner_->elements_[index_].sibling != 0; }

std::u16string_view MarkupNode::GetName() const {
  return owner_ ? StringAt(owner_->elements_[index_].name) : std::u16string_view();
}

std::u16string_view MarkupNode::GetValue() const {
  return owner_ ? StringAt(owner_->elements_[index_].data) : std::u16string_view();
}

// Walks the terminated strings between the element's name and its text: each
// attribute is a name, then (after white space or the "=" the name's
// terminator did not replace) a quotation mark and the value.
void MarkupNode::MapAttributes() const {
  if (mapped_ || !owner_) return;
  mapped_ = true;
  attribute_count_ = 0;
  const char16_t* buffer = owner_->buffer_.get();
  const Markup::Element& element = owner_->elements_[index_];
  const uint32_t end = element.data;
  uint32_t pos = element.name + static_cast<uint32_t>(StringAt(element.name).size()) + 1;
  while (attribute_count_ < kMaxAttributes) {
    while (pos < end && buffer[pos] <= 32) ++pos;
    if (pos >= end || buffer[pos] == u'>' || buffer[pos] == u'/') return;
    uint32_t name = pos;
    if (buffer[pos] == u'"') {
      // An empty name whose terminator replaced the "=" right before it.
      name = pos - 1;
    } else {
      pos += static_cast<uint32_t>(StringAt(pos).size()) + 1;
    }
    while (pos < end && (buffer[pos] <= 32 || buffer[pos] == u'=')) ++pos;
    if (pos >= end || buffer[pos] != u'"') return;
    ++pos;
    attribute_names_[attribute_count_] = name;
    attribute_values_[attribute_count_] = pos;
    ++attribute_count_;
    pos += static_cast<uint32_t>(StringAt(pos).size()) + 1;
  }
}

int MarkupNode::GetAttributeCount() const {
  MapAttributes();
  return attribute_count_;
}

std::u16string_view MarkupNode::GetAttributeName(int index) const {
  MapAttributes();
  if (index < 0 || index >= attribute_count_) return std::u16string_view();
  return StringAt(attribute_names_[index]);
}

std::u16string MarkupNode::GetAttributeValue(int index) const {
  MapAttributes();
  if (index < 0 || index >= attribute_count_) return std::u16string();
  return std::u16string(StringAt(attribute_values_[index]).substr(0, kMaxValueLength));
}

int MarkupNode::FindAttribute(std::u16string_view name) const {
  MapAttributes();
  for (int i = 0; i < attribute_count_; ++i) {
    if (StringAt(attribute_names_[i]) == name) return i;
  }
  return -1;
}

std::u16string MarkupNode::GetAttributeValue(std::u16string_view name) const {
  return GetAttributeValue(FindAttribute(name));
}

bool MarkupNode::GetAttributeValue(std::u16string_view name, std::u16string* value) const {
  const int index = FindAttribute(name);
  if (index < 0) return false;
  *value = GetAttributeValue(index);
  return true;
}

bool MarkupNode::HasAttribute(std::u16string_view name) const { return FindAttribute(name) >= 0; }

}  // namespace ui
