#include "ui/core/control.h"

#include <algorithm>
#include <utility>

#include "base/tick_count.h"
#include "ui/core/box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// Skin numbers are bounded so that sums of sizes, margins and paddings in
// the layouts stay far from 32-bit overflow whatever a skin writes.
constexpr int64_t kMaxSkinNumber = 1000000;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads one optionally signed decimal number at `*pos`; returns false when
// there is none. Leaves `*pos` after the number.
bool ReadInt(const std::u16string& text, size_t* pos, int32_t* out) {
  size_t i = *pos;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
    negative = text[i] == u'-';
    ++i;
  }
  if (i >= text.size() || !IsDigit(text[i])) return false;
  int64_t value = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (value <= kMaxSkinNumber) value = value * 10 + (text[i] - u'0');
    ++i;
  }
  value = std::min<int64_t>(value, kMaxSkinNumber);
  *out = static_cast<int32_t>(negative ? -value : value);
  *pos = i;
  return true;
}

// Reads up to `count` numbers separated by single characters.
void ReadNumbers(const std::u16string& text, int32_t* out, int count) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t')) ++pos;
  for (int i = 0; i < count; ++i) {
    if (!ReadInt(text, &pos, &out[i])) return;
    if (pos >= text.size()) return;
    ++pos;  // the single separating character
  }
}

int32_t ParseSize(const std::u16string& value) {
  if (value == u"stretch") return kSizeStretch;
  if (value == u"auto") return kSizeAuto;
  return ParseInt(value);
}

bool IsTrue(const std::u16string& value) { return value == u"true"; }

const std::u16string& EmptyText() {
  static const std::u16string empty;
  return empty;
}

}  // namespace

Rect ParseRect(const std::u16string& value) {
  int32_t n[4] = {0, 0, 0, 0};
  ReadNumbers(value, n, 4);
  return Rect{n[0], n[1], n[2], n[3]};
}

Point ParsePair(const std::u16string& value) {
  int32_t n[2] = {0, 0};
  ReadNumbers(value, n, 2);
  return Point{n[0], n[1]};
}

int32_t ParseInt(const std::u16string& value) {
  int32_t n = 0;
  ReadNumbers(value, &n, 1);
  return n;
}

Control::Control() = default;

Control::~Control() {
  if (window_) window_->ForgetControl(this);
}

void Control::SetWindow(Window* window, Box* parent) {
  parent_ = parent;
  if (window_ != window && window_) window_->ForgetControl(this);
  window_ = window;
}

void Control::SetWindow(Window* window) { SetWindow(window, parent_); }

Control* Control::FindControl(const std::u16string& name) { return name_ == name ? this : nullptr; }

Control* Control::FindControlAt(Point point) {
  if (!visible_ || !mouse_enabled_ || !pos_.Contains(point)) return nullptr;
  return this;
}

bool Control::ApplyAttributeList(const std::u16string& list) {
  AttributeList pairs;
  if (!StyleSheet::ParseAttributeList(list, &pairs)) return false;
  for (const auto& [name, value] : pairs) SetAttribute(name, value);
  return true;
}

void Control::ApplyClass(const std::u16string& class_name) {
  // The window's own classes come before the global ones.
  const AttributeList* list = window_ ? window_->GetClassAttributes(class_name) : nullptr;
  if (!list) list = GlobalManager::GetClass(class_name);
  if (!list) return;
  // A copy: applying may not change the class table, but a handler could.
  const AttributeList pairs = *list;
  for (const auto& [name, value] : pairs) SetAttribute(name, value);
}

bool Control::ResolveColor(const std::u16string& value, uint32_t* argb) const {
  return GlobalManager::ResolveColor(value, argb);
}

void Control::SetAttribute(const std::u16string& name, const std::u16string& value) {
  if (name == u"class") {
    ApplyClass(value);
  } else if (name == u"halign") {
    if (value == u"left")
      hor_align_ = kHorAlignLeft;
    else if (value == u"center")
      hor_align_ = kHorAlignCenter;
    else if (value == u"right")
      hor_align_ = kHorAlignRight;
  } else if (name == u"valign") {
    if (value == u"top")
      ver_align_ = kVerAlignTop;
    else if (value == u"center")
      ver_align_ = kVerAlignCenter;
    else if (value == u"bottom")
      ver_align_ = kVerAlignBottom;
  } else if (name == u"margin") {
    SetMargin(ParseRect(value), true);
  } else if (name == u"bkcolor" || name == u"bkcolor1") {
    ResolveColor(value, &bk_color_);
    Invalidate();
  } else if (name == u"bordersize") {
    if (value.find(u',') == std::u16string::npos) {
      int32_t size = DpiScale::Scale(ParseInt(value));
      border_size_ = Rect{size, size, size, size};
    } else {
      border_size_ = ParseRect(value);
    }
    Invalidate();
  } else if (name == u"borderround") {
    border_round_ = ParsePair(value);
  } else if (name == u"width") {
    SetFixedWidth(ParseSize(value), true);
  } else if (name == u"height") {
    SetFixedHeight(ParseSize(value), true);
  } else if (name == u"maxwidth") {
    SetMaxWidth(ParseSize(value));
  } else if (name == u"maxheight") {
    SetMaxHeight(ParseSize(value));
  } else if (name == u"state") {
    if (value == u"normal") {
      SetState(kStateNormal);
      hot_alpha_ = 0;
    } else if (value == u"hot") {
      SetState(kStateHot);
      hot_alpha_ = 255;
    } else if (value == u"pushed") {
      SetState(kStatePushed);
    } else if (value == u"disabled") {
      SetState(kStateDisabled);
    }
  } else if (name == u"cursortype") {
    if (value == u"arrow")
      cursor_type_ = kCursorArrow;
    else if (value == u"hand")
      cursor_type_ = kCursorHand;
    else if (value == u"ibeam")
      cursor_type_ = kCursorIBeam;
  } else if (name == u"renderoffset") {
    Point p = ParsePair(value);
    render_offset_ = Point{DpiScale::Scale(p.x), DpiScale::Scale(p.y)};
  } else if (name == u"normalcolor") {
    ResolveColor(value, &state_colors_[kStateNormal]);
  } else if (name == u"hotcolor") {
    ResolveColor(value, &state_colors_[kStateHot]);
  } else if (name == u"pushedcolor") {
    ResolveColor(value, &state_colors_[kStatePushed]);
  } else if (name == u"disabledcolor") {
    ResolveColor(value, &state_colors_[kStateDisabled]);
  } else if (name == u"bordercolor") {
    ResolveColor(value, &border_color_);
  } else if (name == u"leftbordersize") {
    border_size_.left = DpiScale::Scale(ParseInt(value));
  } else if (name == u"topbordersize") {
    border_size_.top = DpiScale::Scale(ParseInt(value));
  } else if (name == u"rightbordersize") {
    border_size_.right = DpiScale::Scale(ParseInt(value));
  } else if (name == u"bottombordersize") {
    border_size_.bottom = DpiScale::Scale(ParseInt(value));
  } else if (name == u"bkimage") {
    bk_image_ = value;
    Invalidate();
  } else if (name == u"minwidth") {
    int32_t v = ParseInt(value);
    if (v >= 0) SetMinWidth(DpiScale::Scale(v));
  } else if (name == u"minheight") {
    int32_t v = ParseInt(value);
    if (v >= 0) SetMinHeight(DpiScale::Scale(v));
  } else if (name == u"name") {
    name_ = value;
  } else if (name == u"tooltiptext") {
    tooltip_ = value;
  } else if (name == u"tooltiptextid") {
    tooltip_ = GlobalManager::GetLanguageString(value);
  } else if (name == u"dataid") {
    data_id_ = value;
  } else if (name == u"enabled") {
    SetEnabled(IsTrue(value));
  } else if (name == u"mouse") {
    mouse_enabled_ = IsTrue(value);
  } else if (name == u"keyboard") {
    keyboard_enabled_ = IsTrue(value);
  } else if (name == u"visible") {
    SetVisible(IsTrue(value));
  } else if (name == u"fadevisible") {
    SetFadeVisible(IsTrue(value));
  } else if (name == u"menu") {
    menu_ = IsTrue(value);
  } else if (name == u"float") {
    SetFloat(IsTrue(value));
  } else if (name == u"cache") {
    cache_ = IsTrue(value);
  } else if (name == u"nofocus") {
    SetNoFocus();
  } else if (name == u"alpha") {
    alpha_ = ParseInt(value);
    Invalidate();
  } else if (name == u"normalimage") {
    state_images_[kStateNormal] = value;
  } else if (name == u"hotimage") {
    state_images_[kStateHot] = value;
  } else if (name == u"pushedimage") {
    state_images_[kStatePushed] = value;
  } else if (name == u"disabledimage") {
    state_images_[kStateDisabled] = value;
  } else if (name == u"forenormalimage") {
    fore_state_images_[kStateNormal] = value;
  } else if (name == u"forehotimage") {
    fore_state_images_[kStateHot] = value;
  } else if (name == u"forepushedimage") {
    fore_state_images_[kStatePushed] = value;
  } else if (name == u"foredisabledimage") {
    fore_state_images_[kStateDisabled] = value;
  } else if (name == u"fadealpha") {
    fades_[0] = IsTrue(value);
  } else if (name == u"fadehot") {
    fades_[1] = IsTrue(value);
  } else if (name == u"fadewidth") {
    fades_[2] = IsTrue(value);
  } else if (name == u"fadeheight") {
    fades_[3] = IsTrue(value);
  } else if (name == u"fadeinoutxfromleft") {
    fades_[4] = IsTrue(value);
  } else if (name == u"fadeinoutxfromright") {
    fades_[5] = IsTrue(value);
  } else if (name == u"fadeinoutyfromtop") {
    fades_[6] = IsTrue(value);
  } else if (name == u"fadeinoutyfrombottom") {
    fades_[7] = IsTrue(value);
  } else if (name == u"receivepointer") {
    receive_pointer_ = IsTrue(value);
  }
}

void Control::SetPos(const Rect& rect) {
  if (pos_ != rect) Invalidate();
  pos_ = rect;
}

Size Control::EstimateSize(Size available) {
  Size size{fixed_width_, fixed_height_};
  if (fixed_width_ == kSizeAuto || fixed_height_ == kSizeAuto) {
    Size content = EstimateContentSize(available);
    if (fixed_width_ == kSizeAuto) size.cx = content.cx;
    if (fixed_height_ == kSizeAuto) size.cy = content.cy;
  }
  return size;
}

Size Control::EstimateContentSize(Size) {
  const std::u16string& image =
      state_images_[kStateNormal].empty() ? bk_image_ : state_images_[kStateNormal];
  return GetImageNaturalSize(image);
}

Size Control::GetImageNaturalSize(const std::u16string& description) const {
  if (!window_ || description.empty()) return Size{0, 0};
  return window_->GetImageSize(description);
}

void Control::SetFixedWidth(int32_t width, bool scale) {
  if (scale && width > 0) width = DpiScale::Scale(width);
  if (width == fixed_width_) return;
  fixed_width_ = width;
  Arrange();
}

void Control::SetFixedHeight(int32_t height, bool scale) {
  if (scale && height > 0) height = DpiScale::Scale(height);
  if (height == fixed_height_) return;
  fixed_height_ = height;
  Arrange();
}

void Control::SetMinWidth(int32_t v) {
  if (min_width_ == v) return;
  min_width_ = v;
  Arrange();
}

void Control::SetMinHeight(int32_t v) {
  if (min_height_ == v) return;
  min_height_ = v;
  Arrange();
}

void Control::SetMaxWidth(int32_t v) {
  if (max_width_ == v) return;
  max_width_ = v;
  Arrange();
}

void Control::SetMaxHeight(int32_t v) {
  if (max_height_ == v) return;
  max_height_ = v;
  Arrange();
}

void Control::SetMargin(const Rect& margin, bool scale) {
  Rect m = margin;
  if (scale) {
    m = Rect{DpiScale::Scale(m.left), DpiScale::Scale(m.top), DpiScale::Scale(m.right),
             DpiScale::Scale(m.bottom)};
  }
  if (m == margin_) return;
  margin_ = m;
  Arrange();
}

void Control::SetFloat(bool is_float) {
  if (float_ == is_float) return;
  float_ = is_float;
  Arrange();
}

void Control::SetVisible(bool visible) {
  last_change_faded_ = false;
  if (visible_ == visible) return;
  visible_ = visible;
  if (!visible_) {
    if (state_ == kStateHot || state_ == kStatePushed) state_ = kStateNormal;
    if (window_) window_->ForgetControl(this);
  }
  Arrange();
  Invalidate();
}

void Control::SetFadeVisible(bool visible) {
  SetVisible(visible);
  last_change_faded_ = true;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  state_ = enabled ? kStateNormal : kStateDisabled;
  if (!enabled_ && window_) window_->ForgetControl(this);
  Invalidate();
}

bool Control::IsFocusable() const { return visible_ && enabled_ && !no_focus_; }

bool Control::IsFocused() const { return window_ && window_->GetFocus() == this; }

void Control::SetState(int32_t state) {
  if (state_ == state) return;
  state_ = state;
  Invalidate();
}

bool Control::IsActivatable() const { return enabled_ && visible_; }

bool Control::Activate() { return IsActivatable(); }

uint32_t Control::GetStateColor(int32_t state) const {
  return state >= 0 && state < 4 ? state_colors_[state] : 0;
}

const std::u16string& Control::GetStateImage(int32_t state) const {
  return state >= 0 && state < 4 ? state_images_[state] : EmptyText();
}

const std::u16string& Control::GetForeStateImage(int32_t state) const {
  return state >= 0 && state < 4 ? fore_state_images_[state] : EmptyText();
}

void Control::AttachEvent(int32_t type, EventCallback callback) {
  if (callback) handlers_[type].push_back(std::move(callback));
}

void Control::DetachEvent(int32_t type) { handlers_.erase(type); }

EventArgs Control::MakeEventArgs(int32_t type) const {
  EventArgs args;
  args.type = type;
  args.sender = const_cast<Control*>(this);
  args.timestamp = nbase::GetTickCount();
  if (window_) args.mouse_point = window_->GetLastMousePos();
  return args;
}

bool Control::FireHandlers(const EventArgs& args) {
  const std::weak_ptr<char> alive = alive_;
  // Copies: a handler may bind or unbind handlers while it runs.
  for (int32_t type : {args.type, static_cast<int32_t>(kEventAll)}) {
    auto it = handlers_.find(type);
    if (it != handlers_.end()) {
      std::vector<EventCallback> callbacks = it->second;
      for (const EventCallback& callback : callbacks) {
        const bool go_on = callback(args);
        if (alive.expired() || !go_on) return false;
      }
    }
    if (args.type == kEventAll) break;
  }
  // The boxes above are collected first: a bubbled handler may destroy
  // this control, and then the event stops.
  std::vector<std::weak_ptr<char>> box_alive;
  std::vector<Box*> boxes;
  for (Box* box = parent_; box; box = box->GetParent()) {
    boxes.push_back(box);
    box_alive.push_back(box->alive_);
  }
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (box_alive[i].expired()) return false;
    if (!boxes[i]->FireBubbledHandlers(args)) return false;
    if (alive.expired()) return false;
  }
  return true;
}

bool Control::SendEvent(int32_t type, int32_t key) {
  EventArgs args = MakeEventArgs(type);
  args.key = key;
  return FireHandlers(args);
}

bool Control::Event(EventArgs args) {
  if (!args.sender) args.sender = this;
  if (!(IsMouseEvent(args.type) && !enabled_)) {
    if (!FireHandlers(args)) return false;  // also when destroyed meanwhile
  }
  HandleEvent(args);
  return true;
}

void Control::HandleEvent(const EventArgs& args) {
  switch (args.type) {
    case kEventMouseEnter:
      if (enabled_ && state_ != kStatePushed) SetState(kStateHot);
      break;
    case kEventMouseLeave:
      if (enabled_ && state_ == kStateHot) SetState(kStateNormal);
      break;
    case kEventMouseButtonDown:
    case kEventMouseDoubleClick:
      if (enabled_ && args.sender == this) SetState(kStatePushed);
      break;
    case kEventMouseButtonUp:
      if (enabled_ && args.sender == this && state_ == kStatePushed) {
        const bool inside = pos_.Contains(args.mouse_point);
        SetState(inside ? kStateHot : kStateNormal);
        if (inside) Activate();
      }
      break;
    default:
      break;
  }
}

void Control::Arrange() {
  if (window_) window_->NeedUpdate();
}

void Control::Invalidate() {
  ++invalidate_count_;
  if (window_) window_->Invalidate();
}

}  // namespace ui
