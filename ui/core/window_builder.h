// WindowBuilder: turns a parsed skin document into a control tree. It reads
// the global style sheet ("Global": fonts, colours, classes and the default
// text colours, registered for the whole process) and window layouts
// ("Window": window attributes, the window's own classes, then the
// controls), creates a control for every element it knows, applies the
// element's attributes in document order, links children to their boxes,
// expands "Include" elements and binds declarative "Event" and
// "BubbledEvent" elements.
//
// Rules: an element name outside the tables goes to the process-wide
// creator, then to the builder's callback; when neither makes a control the
// element is skipped with everything inside it. A control whose parent is
// not a box ends the building of that level. Element kinds the installer's
// skins never use are built as their nearest real kind (docs/ui_limits.md).
// Hostile layouts stay bounded: includes nest at most kMaxIncludeDepth deep
// (a file that includes itself stops there) and one "Include" makes at
// most kMaxIncludeCount copies.
#pragma once

#include <string>

#include "ui/core/global_manager.h"
#include "ui/markup/markup.h"

namespace ui {

class Box;
class Control;
class Window;

class WindowBuilder {
 public:
  static constexpr int kMaxIncludeDepth = 8;
  static constexpr int kMaxIncludeCount = 1000;

  WindowBuilder() = default;
  WindowBuilder(const WindowBuilder&) = delete;
  WindowBuilder& operator=(const WindowBuilder&) = delete;

  // Parses `layout` (markup text beginning with "<", or a path read from
  // the skin package or the file system), processes its root and builds
  // the tree under `parent`, or as a top-level tree when there is none.
  // Returns the first control created at the top level, or nullptr (also
  // for a "Global" document, and on a load failure: see GetLastError).
  // Further top-level controls without a parent are destroyed.
  Control* Create(const std::u16string& layout, CreateControlCallback callback = nullptr,
                  Window* window = nullptr, Box* parent = nullptr);

  // Reads the theme's "global.xml" from the skin package (or the file
  // system) and registers its contents. False when it cannot be read.
  static bool LoadGlobalStyle();

  // A new control for a builder element name; nullptr for names outside
  // the tables (including the non-control elements).
  static Control* CreateControlByName(const std::u16string& name);

  // The parser's message and location after a failed Create.
  const std::u16string& GetLastError() const { return error_; }

 private:
  static void ProcessGlobal(const MarkupNode& root);
  Control* BuildLevel(MarkupNode node, Control* parent, Window* window,
                      const CreateControlCallback& callback);
  // Builds the document an "Include" element names, "count" times, under
  // `box` (null at the top level). Returns the first copy made; without a
  // box that copy is kept only when `keep_one` and every other is destroyed.
  Control* BuildInclude(const MarkupNode& node, const std::u16string& source, Box* box,
                        Window* window, const CreateControlCallback& callback, bool keep_one);
  void BindDeclarativeEvent(const MarkupNode& node, Control* parent, bool bubbled);

  Markup markup_;
  int include_depth_ = 0;
  std::u16string error_;
};

}  // namespace ui
