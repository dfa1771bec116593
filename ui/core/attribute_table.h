// AttributeTable: the skin vocabulary of one class, written as a table from
// attribute name to setter. A table may extend the table of a base class: a
// name it does not list is looked up there, so each class lists only the
// names it adds or gives a meaning of its own. Names are compared whole and
// case-sensitively; a name that no table of the chain lists is ignored.
//
// The tables are where a reader learns what a skin may write on an element:
// Control::Attributes() (every element), Box, TextControl (the text
// attributes of labels and edit fields), Label (buttons use it), Progress,
// CheckBox, RichEdit, and Window::Attributes() for the "Window" root.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ui {

// A table as its users see it, whatever class its setters were written
// for: `Root` is the class at the bottom of the chain (Control, Window).
template <class Root>
class AttributeVocabulary {
 public:
  virtual ~AttributeVocabulary() = default;
  // Applies one attribute to `target` through the first table of the chain
  // that lists `name`. False when none lists it.
  virtual bool Apply(Root& target, std::u16string_view name, const std::u16string& value) const = 0;
};

// A table whose setters take `T`, a class derived from `Root` (or `Root`
// itself). Tables are built once, as function-local statics.
template <class T, class Root = T>
class AttributeTable final : public AttributeVocabulary<Root> {
 public:
  using Setter = void (*)(T& target, const std::u16string& value);
  struct Entry {
    std::u16string_view name;  // a string literal: the table keeps the view
    Setter set;
  };

  // `base` (may be null) answers the names this table does not list.
  AttributeTable(const AttributeVocabulary<Root>* base, std::initializer_list<Entry> entries)
      : base_(base) {
    for (const Entry& entry : entries) setters_.emplace(entry.name, entry.set);
  }

  bool Apply(Root& target, std::u16string_view name, const std::u16string& value) const override {
    const auto it = setters_.find(name);
    if (it != setters_.end()) {
      it->second(static_cast<T&>(target), value);
      return true;
    }
    return base_ && base_->Apply(target, name, value);
  }

 private:
  const AttributeVocabulary<Root>* base_;
  std::unordered_map<std::u16string_view, Setter> setters_;
};

}  // namespace ui
