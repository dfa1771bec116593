#include "ui/core/window_builder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/control.h"
#include "ui/core/event_args.h"
#include "ui/core/h_box.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/v_box.h"
#include "ui/core/window.h"
#include "ui/skin/resource_loader.h"
#include "ui/skin/style_sheet.h"

namespace ui {

namespace {

// Splits a list written with single blanks between its words.
std::vector<std::u16string> SplitWords(const std::u16string& text) {
  std::vector<std::u16string> words;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u' ', start);
    if (end == std::u16string::npos) end = text.size();
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

bool IsResourceElement(std::u16string_view name) {
  return name == u"Image" || name == u"Font" || name == u"Class" || name == u"TextColor";
}

// The control a declarative event changes: the named control of the
// window (or, outside a window, of the tree below `owner`); the owner
// itself when no name is given.
Control* FindReceiver(Control* owner, const std::u16string& name) {
  if (name.empty()) return owner;
  if (Window* window = owner->GetWindow()) {
    if (Control* found = window->FindControl(name)) return found;
  }
  return owner->FindControl(name);
}

}  // namespace

Control* WindowBuilder::CreateControlByName(const std::u16string& name) {
  // Boxes.
  if (name == u"Box") return new Box;
  if (name == u"HBox") return new HBox;
  if (name == u"VBox") return new VBox;
  if (name == u"TabBox" || name == u"ChildBox" || name == u"ListBox" || name == u"TileBox" ||
      name == u"TileListBox") {
    return new Box;
  }
  if (name == u"HListBox") return new HBox;
  if (name == u"VListBox" || name == u"TreeView" || name == u"VirtualListBox") return new VBox;
  // Controls.
  if (name == u"Control" || name == u"ScrollBar") return new Control;
  if (name == u"Label" || name == u"Combo") return new Label;
  if (name == u"Button") return new Button;
  if (name == u"CheckBox" || name == u"Option") return new CheckBox;
  if (name == u"Progress" || name == u"Slider") return new Progress;
  if (name == u"RichEdit") return new RichEdit;
  if (name == u"TreeNode" || name == u"ListContainerElement" || name == u"LabelBox" ||
      name == u"ButtonBox" || name == u"OptionBox" || name == u"CheckBoxBox") {
    return new Box;
  }
  return nullptr;
}

bool WindowBuilder::LoadGlobalStyle() {
  Markup markup;
  if (!ResourceLoader::LoadGlobalStyle(&markup)) return false;
  MarkupNode root = markup.GetRoot();
  if (!root.IsValid() || root.GetName() != u"Global") return false;
  ProcessGlobal(root);
  return true;
}

void WindowBuilder::ProcessGlobal(const MarkupNode& root) {
  for (int i = 0; i < root.GetAttributeCount(); ++i) {
    const std::u16string_view name = root.GetAttributeName(i);
    uint32_t argb = 0;
    if (!GlobalManager::ResolveColor(root.GetAttributeValue(i), &argb)) continue;
    if (name == u"defaultfontcolor") {
      GlobalManager::SetDefaultTextColor(argb);
    } else if (name == u"disabledfontcolor") {
      GlobalManager::SetDefaultDisabledTextColor(argb);
    } else if (name == u"linkfontcolor" || name == u"linkhoverfontcolor" ||
               name == u"selectedcolor") {
      GlobalManager::SetGlobalColor(std::u16string(name), argb);
    }
  }
  StyleSheet::Global().LoadGlobal(root);
}

Control* WindowBuilder::Create(const std::u16string& layout, CreateControlCallback callback,
                               Window* window, Box* parent) {
  error_.clear();
  if (!ResourceLoader::LoadMarkup(layout, &markup_)) {
    error_ = markup_.GetLastErrorMessage();
    if (!markup_.GetLastErrorLocation().empty()) error_ += u": " + markup_.GetLastErrorLocation();
    return nullptr;
  }
  MarkupNode root = markup_.GetRoot();
  if (!root.IsValid()) return nullptr;

  if (root.GetName() == u"Global") {
    ProcessGlobal(root);
    return nullptr;
  }
  if (root.GetName() == u"Window") {
    // An included "Window" document only adds its controls.
    if (window && !parent) {
      for (int i = 0; i < root.GetAttributeCount(); ++i) {
        window->SetAttribute(std::u16string(root.GetAttributeName(i)), root.GetAttributeValue(i));
      }
      for (MarkupNode child = root.GetChild(); child.IsValid(); child = child.GetSibling()) {
        if (child.GetName() == u"Class") {
          window->AddClass(child.GetAttributeValue(u"name"), child.GetAttributeValue(u"value"));
        }
      }
    }
    return BuildLevel(root.GetChild(), parent, window, callback);
  }
  return BuildLevel(root, parent, window, callback);
}

Control* WindowBuilder::BuildLevel(MarkupNode node, Control* parent, Window* window,
                                   const CreateControlCallback& callback) {
  Control* first = nullptr;
  for (; node.IsValid(); node = node.GetSibling()) {
    const std::u16string name(node.GetName());
    if (IsResourceElement(name)) continue;

    if (name == u"Include") {
      std::u16string source;
      if (!node.GetAttributeValue(u"source", &source)) continue;
      if (parent && !parent->IsBox()) return nullptr;  // nothing can be added to a non-box
      Control* made =
          BuildInclude(node, source, static_cast<Box*>(parent), window, callback, !first);
      if (!first) first = made;
      continue;
    }
    if (name == u"Event" || name == u"BubbledEvent") {
      if (parent) BindDeclarativeEvent(node, parent, name == u"BubbledEvent");
      continue;
    }

    Control* control = CreateControlByName(name);
    if (!control) control = GlobalManager::CreateCustomControl(name);
    if (!control && callback) control = callback(name);
    if (!control) continue;  // unknown: skipped with its children
    std::unique_ptr<Control> owned(control);

    Box* parent_box = parent && parent->IsBox() ? static_cast<Box*>(parent) : nullptr;
    if (window) control->SetWindow(window, parent_box);
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
      control->SetAttribute(std::u16string(node.GetAttributeName(i)), node.GetAttributeValue(i));
    }
    if (node.HasChildren()) BuildLevel(node.GetChild(), control, window, callback);

    if (parent) {
      if (!parent_box) return nullptr;              // a non-box parent ends this level
      if (!parent_box->Add(owned.get())) continue;  // refused: destroyed
      owned.release();
    } else if (first) {
      continue;  // a second top-level control has no owner: destroyed
    } else {
      owned.release();
    }
    if (!first) first = control;
  }
  return first;
}

Control* WindowBuilder::BuildInclude(const MarkupNode& node, const std::u16string& source, Box* box,
                                     Window* window, const CreateControlCallback& callback,
                                     bool keep_one) {
  std::u16string count_text;
  int count = 1;
  if (node.GetAttributeValue(u"count", &count_text)) count = ParseInt(count_text);
  count = std::min(count, kMaxIncludeCount);
  if (include_depth_ >= kMaxIncludeDepth) return nullptr;
  Control* first = nullptr;
  for (int i = 0; i < count; ++i) {
    WindowBuilder include;
    include.include_depth_ = include_depth_ + 1;
    Control* made = include.Create(source, callback, window, box);
    if (!made) continue;
    // A box owns every copy. Without one a copy is a top-level control, and
    // a level keeps only its first: the others have no owner.
    if (!box && (first || !keep_one)) {
      delete made;
      continue;
    }
    if (!first) first = made;
  }
  return first;
}

void WindowBuilder::BindDeclarativeEvent(const MarkupNode& node, Control* parent, bool bubbled) {
  if (bubbled && !parent->IsBox()) return;
  const std::vector<std::u16string> types = SplitWords(node.GetAttributeValue(u"type"));
  std::vector<std::u16string> receivers = SplitWords(node.GetAttributeValue(u"receiver"));
  if (receivers.empty()) receivers.push_back(std::u16string());
  const std::u16string list = node.GetAttributeValue(u"applyattribute");
  for (const std::u16string& type_name : types) {
    const int32_t type = EventTypeFromName(type_name);
    for (const std::u16string& receiver : receivers) {
      EventCallback handler = [parent, receiver, list](const EventArgs&) {
        if (Control* target = FindReceiver(parent, receiver)) target->ApplyAttributeList(list);
        return true;
      };
      if (bubbled) {
        static_cast<Box*>(parent)->AttachBubbledEvent(type, std::move(handler));
      } else {
        parent->AttachEvent(type, std::move(handler));
      }
    }
  }
}

}  // namespace ui
