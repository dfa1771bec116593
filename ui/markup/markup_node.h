// MarkupNode: a light handle on one element of a parsed Markup document, for
// walking the tree (parent, first child, next sibling) and reading the
// element's name, text and attributes.
//
// Promises: names and texts are views into the document's buffer and stay
// valid while the document stays loaded. The attributes are indexed once, on
// first use, per handle: at most kMaxAttributes pairs, the rest ignored.
// Names compare whole and case-sensitively; a value read through the node is a
// copy of at most kMaxValueLength characters. An invalid node answers every
// question with nothing (empty texts, invalid nodes, zero counts).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

class Markup;

class MarkupNode {
 public:
  static constexpr int kMaxAttributes = 64;
  static constexpr size_t kMaxValueLength = 499;

  MarkupNode() = default;

  bool IsValid() const { return owner_ != nullptr; }
  MarkupNode GetParent() const;
  MarkupNode GetSibling() const;
  MarkupNode GetChild() const;
  // The first child element with this name.
  MarkupNode GetChild(std::u16string_view name) const;
  bool HasChildren() const;
  bool HasSiblings() const;

  std::u16string_view GetName() const;
  // The element's text (what follows its start tag up to the next tag).
  std::u16string_view GetValue() const;

  int GetAttributeCount() const;
  std::u16string_view GetAttributeName(int index) const;
  std::u16string GetAttributeValue(int index) const;
  // Empty when the attribute is absent; use GetAttributeValue(name, &value)
  // to tell absent from empty.
  std::u16string GetAttributeValue(std::u16string_view name) const;
  bool GetAttributeValue(std::u16string_view name, std::u16string* value) const;
  bool HasAttribute(std::u16string_view name) const;

 private:
  friend class Markup;
  MarkupNode(const Markup* owner, uint32_t index) : owner_(owner), index_(index) {}

  void MapAttributes() const;
  std::u16string_view StringAt(uint32_t offset) const;
  int FindAttribute(std::u16string_view name) const;

  const Markup* owner_ = nullptr;
  uint32_t index_ = 0;
  // Offsets of the attribute names and values, filled by MapAttributes.
  mutable bool mapped_ = false;
  mutable int attribute_count_ = 0;
  mutable uint32_t attribute_names_[kMaxAttributes] = {};
  mutable uint32_t attribute_values_[kMaxAttributes] = {};
};

}  // namespace ui
