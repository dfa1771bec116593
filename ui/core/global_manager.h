// Process-wide resources of the framework as the controls see them: the
// fonts of the global style sheet by index (as text-engine fonts at the DPI
// scale), named colours, named attribute classes, language strings, the
// default text colours and the process-wide creator of custom controls.
// Fonts, colours and classes live in the skin's global StyleSheet; this
// class is the controls' view of it. Filled once on the UI thread when the
// style sheet is read and only read afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/core/text_measurer.h"
#include "ui/skin/style_sheet.h"

namespace ui {

class Control;

// Creates a control for an element name the builder does not know, or
// returns nullptr.
using CreateControlCallback = std::function<Control*(const std::u16string& element_name)>;

class GlobalManager {
 public:
  // Forgets every font, colour, class and string (tests, a second start-up).
  static void Reset();

  // Fonts are numbered in registration order from 0; `size` is unscaled.
  static void AddFont(const std::u16string& face, int32_t size, bool bold, bool underline);
  static int32_t FontCount();
  // The font of `index` with its pixel size at the DPI scale; an unknown
  // index gives font 0, or a 12-pixel "system" font when there is none.
  static FontSpec GetFont(int32_t index);

  static void AddColor(const std::u16string& name, uint32_t argb);
  // Resolves a colour value as the skins write it: a registered name, or
  // "#AARRGGBB" (leading white space ignored). False leaves `argb` alone.
  static bool ResolveColor(const std::u16string& value, uint32_t* argb);

  // False when the attribute list does not parse.
  static bool AddClass(const std::u16string& name, const std::u16string& attribute_list);
  // The attribute list of a global class; null when unknown.
  static const AttributeList* GetClass(const std::u16string& name);

  static void SetDefaultTextColor(uint32_t argb);
  static uint32_t GetDefaultTextColor();
  static void SetDefaultDisabledTextColor(uint32_t argb);
  static uint32_t GetDefaultDisabledTextColor();

  // The style sheet's other global colours ("linkfontcolor",
  // "linkhoverfontcolor", "selectedcolor"); 0 when unset.
  static void SetGlobalColor(const std::u16string& name, uint32_t argb);
  static uint32_t GetGlobalColor(const std::u16string& name);

  // The process-wide creator asked before a builder's own callback.
  static void SetCustomControlCreator(CreateControlCallback creator);
  static Control* CreateCustomControl(const std::u16string& element_name);

  // The language string of `id` used by "textid" and "tooltiptextid"; an
  // unknown identifier gives an empty text.
  static std::u16string GetLanguageString(const std::u16string& id);
};

}  // namespace ui
