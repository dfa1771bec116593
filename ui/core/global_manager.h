// Process-wide resources of the framework: the fonts of the style sheet by
// index, named colours, named attribute classes, the default text colours,
// and the process-wide creator of custom controls. They are filled once on
// the UI thread when the style sheet is read and only read afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/core/text_measurer.h"

namespace ui {

class Control;

// A named attribute list split into (name, value) pairs in document order.
using AttributeList = std::vector<std::pair<std::u16string, std::u16string>>;

// Creates a control for an element name the builder does not know, or
// returns nullptr.
using CreateControlCallback = std::function<Control*(const std::u16string& element_name)>;

class GlobalManager {
 public:
  // Forgets every font, colour and class (tests, and a second start-up).
  static void Reset();

  // Fonts are numbered in registration order from 0.
  static void AddFont(const FontSpec& font);
  static int32_t FontCount();
  // The font of `index`; an unknown index gives font 0, or a 12-pixel
  // "system" font when no font is registered.
  static FontSpec GetFont(int32_t index);

  static void AddColor(const std::u16string& name, uint32_t argb);
  // Resolves a colour value as the skins write it: a registered name, or
  // "#AARRGGBB" (leading white space ignored). False leaves `argb` alone.
  static bool ResolveColor(const std::u16string& value, uint32_t* argb);

  static void AddClass(const std::u16string& name, const std::u16string& attribute_list);
  // The raw attribute list of a global class; empty when unknown.
  static std::u16string GetClass(const std::u16string& name);

  // Splits an attribute list (name="value" pairs; quotes may be " or ').
  static AttributeList SplitAttributeList(const std::u16string& list);

  static void SetDefaultTextColor(uint32_t argb);
  static uint32_t GetDefaultTextColor();
  static void SetDefaultDisabledTextColor(uint32_t argb);
  static uint32_t GetDefaultDisabledTextColor();

  // The process-wide creator asked before a builder's own callback.
  static void SetCustomControlCreator(CreateControlCallback creator);
  static Control* CreateCustomControl(const std::u16string& element_name);

  // The language strings (identifier -> text) used by "textid" and
  // "tooltiptextid". An unknown identifier gives an empty text.
  static void SetLanguageString(const std::u16string& id, const std::u16string& text);
  static std::u16string GetLanguageString(const std::u16string& id);
};

}  // namespace ui
