// StyleSheet: the values of the global style sheet ("global.xml") that the
// window builder registers and the controls look up: fonts by index, colours
// by name, classes (named attribute lists) by name; plus the parsers for the
// value texts the skin writes (numbers, four-number rectangles, colours
// "#AARRGGBB", attribute lists).
//
// Promises: every parser takes any text and answers false, leaving its
// output untouched, for text that is not of its form; numbers are bounded to
// 32 bits. Fonts keep the order they were added in (a layout's font number is
// that index). A later colour or class of the same name replaces the earlier
// one. Not thread-safe; filled and read on the UI thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ui/markup/markup_node.h"
#include "ui/skin/font_description.h"
#include "ui/skin/image_description.h"

namespace ui {

using AttributeList = std::vector<std::pair<std::u16string, std::u16string>>;

class StyleSheet {
 public:
  // The sheet the windows share (filled once from "global.xml").
  static StyleSheet& Global();

  // Registers every "Font", "TextColor" and "Class" child of a "Global"
  // element in document order. Items that do not parse are skipped (a font
  // that does not parse still takes its index, as an invalid font, so the
  // later indices stay those of the file); false when any was skipped.
  bool LoadGlobal(const MarkupNode& global);
  void Clear();

  int AddFont(const FontDescription& font);
  // Null for an index that names no valid font.
  const FontDescription* GetFont(int index) const;
  int GetFontCount() const { return static_cast<int>(fonts_.size()); }

  void AddColor(std::u16string_view name, uint32_t argb);
  // A name registered with AddColor or a "#AARRGGBB" text.
  bool GetColor(std::u16string_view name_or_value, uint32_t* argb) const;

  // Stores `value` (the class's attribute list, entities already decoded by
  // the parser); false when it does not parse.
  bool AddClass(std::u16string_view name, std::u16string_view value);
  const AttributeList* GetClass(std::u16string_view name) const;

  // "#" and eight hexadecimal digits, alpha first, either case.
  static bool ParseColor(std::u16string_view text, uint32_t* argb);
  // An optionally signed decimal integer that fits in 32 bits, blanks around.
  static bool ParseInt(std::u16string_view text, int* value);
  // Four integers separated by commas: left, top, right, bottom.
  static bool ParseRect(std::u16string_view text, ImageRect* rect);
  // name="value" pairs separated by white space, as a class's value holds.
  static bool ParseAttributeList(std::u16string_view text, AttributeList* list);

 private:
  struct FontSlot {
    bool valid = false;
    FontDescription font;
  };
  std::vector<FontSlot> fonts_;
  std::unordered_map<std::u16string, uint32_t> colors_;
  std::unordered_map<std::u16string, AttributeList> classes_;
};

}  // namespace ui
