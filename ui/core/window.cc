#include "ui/core/window.h"

#include <functional>
#include <utility>
#include <vector>

#include "base/string_util.h"
#include "base/tick_count.h"
#include "platform/system_message_box.h"
#include "ui/core/box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/image_size_reader.h"
#include "ui/core/layout.h"
#include "ui/core/window_builder.h"
#include "ui/paint/paint_list.h"
#include "ui/skin/resource_loader.h"

namespace ui {

namespace {
// A "width,height" pair, scaled.
Size ScalePair(Point p) {
  const Point scaled = DpiScale::ScalePoint(p);
  return Size{scaled.x, scaled.y};
}
}  // namespace

Window::Window() = default;

Window::~Window() {
  // Handlers bound to this window die with it before the tree goes.
  DropWeakFlag();
  focus_ = hot_ = capture_ = focus_before_blur_ = nullptr;
  root_.reset();
}

bool Window::LoadSkin() {
  const std::u16string path = ResourceLoader::GetLayoutPath(GetSkinFolder(), GetSkinFile());
  layout_path_ = path;
  WindowBuilder builder;
  Control* root = builder.Create(
      path, [this](const std::u16string& name) { return CreateControl(name); }, this, nullptr);
  if (!root) {
    load_error_ = nbase::FormatText(u"Failed to load xml file %s", {path});
    platform::ShowSystemMessageBox(load_error_, kSkinLoaderCaption,
                                   platform::kMessageBoxOk | platform::kMessageBoxIconError);
    return false;
  }
  load_error_.clear();
  AttachRoot(root);
  InitWindow();
  AttachCaptionButtons();
  return true;
}

Size Window::GetImageSize(const std::u16string& description) const {
  return ImageSizeReader::GetImageSize(layout_path_, description);
}

Control* Window::CreateControl(const std::u16string&) { return nullptr; }

void Window::SetAttribute(const std::u16string& name, const std::u16string& value) {
  Attributes().Apply(*this, name, value);
}

// Sizes and rectangles are DPI-scaled.
const AttributeVocabulary<Window>& Window::Attributes() {
  using W = Window&;
  using V = const std::u16string&;
  static const AttributeTable<Window> table(
      nullptr,
      {
          {u"size",
           [](W w, V v) {
             w.initial_size_ = ScalePair(ParsePair(v));
             if (w.client_size_ == Size{}) w.client_size_ = w.initial_size_;
             w.NeedUpdate();
           }},
          {u"caption", [](W w, V v) { w.caption_rect_ = DpiScale::ScaleRect(ParseRect(v)); }},
          {u"roundcorner", [](W w, V v) { w.round_corner_ = DpiScale::ScalePoint(ParsePair(v)); }},
          {u"sizebox", [](W w, V v) { w.size_box_ = DpiScale::ScaleRect(ParseRect(v)); }},
          {u"mininfo", [](W w, V v) { w.min_info_ = ScalePair(ParsePair(v)); }},
          {u"maxinfo", [](W w, V v) { w.max_info_ = ScalePair(ParsePair(v)); }},
          {u"shadowattached", [](W w, V v) { w.shadow_attached_ = v == u"true"; }},
          {u"text", [](W w, V v) { w.title_ = v; }},
          {u"textid", [](W w, V v) { w.title_ = v; }},
      });
  return table;
}

bool Window::AddClass(const std::u16string& name, const std::u16string& attribute_list) {
  AttributeList list;
  if (name.empty() || !StyleSheet::ParseAttributeList(attribute_list, &list)) return false;
  classes_[name] = std::move(list);
  return true;
}

const AttributeList* Window::GetClassAttributes(const std::u16string& name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? nullptr : &it->second;
}

void Window::AttachRoot(Control* root) {
  focus_ = hot_ = capture_ = focus_before_blur_ = nullptr;
  root_.reset(root);
  if (root_) root_->SetWindow(this, nullptr);
  NeedUpdate();
}

Control* Window::FindControl(const std::u16string& name) const {
  return root_ ? root_->FindControl(name) : nullptr;
}

bool Window::AttachEvent(Control* control, int32_t type, EventCallback callback) {
  if (!control || !callback) return false;
  control->AttachEvent(type, ToWeakCallback(std::move(callback)));
  return true;
}

bool Window::AttachEvent(const std::u16string& control_name, int32_t type, EventCallback callback) {
  return AttachEvent(FindControl(control_name), type, std::move(callback));
}

bool Window::AttachBubbledEvent(Control* box, int32_t type, EventCallback callback) {
  if (!box || !box->IsBox() || !callback) return false;
  static_cast<Box*>(box)->AttachBubbledEvent(type, ToWeakCallback(std::move(callback)));
  return true;
}

void Window::AttachCaptionButtons() {
  AttachEvent(u"closebtn", kEventClick, [this](const EventArgs&) {
    Close(1);
    return true;
  });
  AttachEvent(u"minbtn", kEventClick, [this](const EventArgs&) {
    Minimize();
    return true;
  });
  AttachEvent(u"maxbtn", kEventClick, [this](const EventArgs&) {
    Maximize();
    if (Control* c = FindControl(u"maxbtn")) c->SetVisible(false);
    if (Control* c = FindControl(u"restorebtn")) c->SetVisible(true);
    return true;
  });
  AttachEvent(u"restorebtn", kEventClick, [this](const EventArgs&) {
    Restore();
    if (Control* c = FindControl(u"restorebtn")) c->SetVisible(false);
    if (Control* c = FindControl(u"maxbtn")) c->SetVisible(true);
    return true;
  });
}

void Window::Resize(Size size) {
  client_size_ = size;
  Relayout();
}

void Window::Paint(PaintList* list, const Rect& dirty) {
  LayoutIfNeeded();
  Rect clip{0, 0, client_size_.cx, client_size_.cy};
  if (!dirty.IsEmpty()) clip = Intersect(clip, dirty);
  if (clip.IsEmpty()) return;
  list->PushClip(clip);
  if (root_) root_->Paint(list, clip);
  list->PopClip();
}

void Window::Invalidate() {
  ++paint_requests_;
  invalid_whole_ = true;
}

void Window::InvalidateRect(const Rect& rect) {
  ++paint_requests_;
  invalid_rect_ = Union(invalid_rect_, rect);
}

Rect Window::GetInvalidRect() const {
  const Rect client{0, 0, client_size_.cx, client_size_.cy};
  return invalid_whole_ ? client : Intersect(invalid_rect_, client);
}

void Window::ClearInvalid() {
  invalid_rect_ = Rect();
  invalid_whole_ = false;
}

void Window::LayoutIfNeeded() {
  if (layout_dirty_) Relayout();
}

void Window::Relayout() {
  layout_dirty_ = false;
  if (!root_) return;
  Layout::SetFloatPos(root_.get(), Rect{0, 0, client_size_.cx, client_size_.cy});
  // Placing controls never asks for another pass; a request made while
  // placing (an auto label measured anew) is already satisfied.
  layout_dirty_ = false;
}

void Window::Close(uint32_t code) {
  close_requested_ = true;
  close_code_ = code;
}

void Window::Minimize() { show_state_ = ShowState::kMinimized; }

void Window::Maximize() { show_state_ = ShowState::kMaximized; }

void Window::Restore() { show_state_ = ShowState::kNormal; }

bool Window::IsInside(const Control* ancestor, const Control* control) {
  for (const Control* c = control; c; c = c->GetParent()) {
    if (c == ancestor) return true;
  }
  return false;
}

void Window::ForgetControl(Control* control) {
  if (IsInside(control, focus_)) focus_ = nullptr;
  if (IsInside(control, focus_before_blur_)) focus_before_blur_ = nullptr;
  if (IsInside(control, hot_)) hot_ = nullptr;
  if (IsInside(control, capture_)) capture_ = nullptr;
}

void Window::SendMouse(Control* target, int32_t type, Point point) {
  if (!target) return;
  EventArgs args;
  args.type = type;
  args.sender = target;
  args.timestamp = nbase::GetTickCount();
  args.mouse_point = point;
  target->Event(args);
}

bool Window::BeginMouseInput(Point point) {
  last_mouse_ = point;
  if (!window_enabled_ || !root_) return false;
  LayoutIfNeeded();
  return true;
}

void Window::SetHot(Control* hit, Point point) {
  if (hit == hot_) return;
  Control* old = hot_;
  hot_ = hit;
  SendMouse(old, kEventMouseLeave, point);
  SendMouse(hot_, kEventMouseEnter, point);
}

void Window::OnMouseMove(Point point) {
  if (!BeginMouseInput(point)) return;
  Control* hit = root_->FindControlAt(point);
  SetHot(hit, point);
  SendMouse(capture_ ? capture_ : hot_, kEventMouseMove, point);
}

int32_t Window::GetCursorType() const {
  const Control* under = capture_ ? capture_ : hot_;
  return under ? under->GetCursorType() : kCursorArrow;
}

void Window::OnButtonDown(Point point) {
  if (!BeginMouseInput(point)) return;
  Control* hit = root_->FindControlAt(point);
  SetHot(hit, point);
  if (!hit) return;
  if (hit->IsFocusable()) SetFocus(hit);
  capture_ = hit;
  SendMouse(hit, kEventMouseButtonDown, point);
}

void Window::OnButtonUp(Point point) {
  if (!BeginMouseInput(point)) {
    capture_ = nullptr;
    return;
  }
  Control* target = capture_ ? capture_ : root_->FindControlAt(point);
  capture_ = nullptr;
  SendMouse(target, kEventMouseButtonUp, point);
}

void Window::OnDoubleClick(Point point) {
  if (!BeginMouseInput(point)) return;
  Control* hit = root_->FindControlAt(point);
  if (!hit) return;
  capture_ = hit;
  SendMouse(hit, kEventMouseDoubleClick, point);
}

void Window::OnRightButtonDown(Point point) {
  if (!BeginMouseInput(point)) return;
  Control* hit = root_->FindControlAt(point);
  if (!hit) return;
  SendMouse(hit, kEventMouseRightButtonDown, point);
  // The context-menu request that follows a right click.
  SendMouse(hit, kEventInternalMenu, point);
}

void Window::OnMouseLeaveWindow() { SetHot(nullptr, last_mouse_); }

void Window::FocusNext() {
  if (!root_) return;
  std::vector<Control*> order;
  std::function<void(Control*)> collect = [&](Control* c) {
    if (!c->IsVisible()) return;
    if (c->IsFocusable() && c->IsKeyboardEnabled()) order.push_back(c);
    if (c->IsBox()) {
      for (Control* child : static_cast<Box*>(c)->GetItems()) collect(child);
    }
  };
  collect(root_.get());
  if (order.empty()) return;
  size_t next = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (order[i] == focus_) next = (i + 1) % order.size();
  }
  SetFocus(order[next]);
}

void Window::OnKeyDown(int32_t key, uint32_t modifiers) {
  if (!window_enabled_) return;
  if (key == kKeyEscape && OnEscape()) return;
  if (key == kKeyTab && !(focus_ && focus_->WantsTab())) {
    FocusNext();
    return;
  }
  SendKey(kEventKeyDown, key, modifiers);
}

void Window::OnKeyUp(int32_t key) {
  if (window_enabled_) SendKey(kEventKeyUp, key, 0);
}

void Window::OnChar(char16_t ch) {
  if (window_enabled_) SendKey(kEventChar, ch, 0);
}

void Window::SendKey(int32_t type, int32_t key, uint32_t modifiers) {
  if (!focus_) return;
  EventArgs args;
  args.type = type;
  args.sender = focus_;
  args.timestamp = nbase::GetTickCount();
  args.mouse_point = last_mouse_;
  args.key = key;
  args.modifiers = modifiers;
  focus_->Event(args);
}

void Window::OnWindowFocus(bool focused) {
  if (!focused) {
    Control* had = focus_;
    SetFocus(nullptr);
    focus_before_blur_ = had;
    return;
  }
  Control* restore = focus_before_blur_;
  focus_before_blur_ = nullptr;
  if (restore && !focus_) SetFocus(restore);
}

void Window::SetFocus(Control* control) {
  if (control == focus_) return;
  if (control && (control->GetWindow() != this || !control->IsFocusable())) return;
  Control* old = focus_;
  focus_ = control;
  if (old) {
    EventArgs args;
    args.type = kEventKillFocus;
    args.sender = old;
    args.timestamp = nbase::GetTickCount();
    args.mouse_point = last_mouse_;
    old->Event(args);
  }
  if (focus_) {
    EventArgs args;
    args.type = kEventSetFocus;
    args.sender = focus_;
    args.timestamp = nbase::GetTickCount();
    args.mouse_point = last_mouse_;
    focus_->Event(args);
  }
}

}  // namespace ui
