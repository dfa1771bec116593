#include "ui/core/control.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "base/tick_count.h"
#include "ui/core/box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/image_step_builder.h"
#include "ui/core/window.h"
#include "ui/paint/paint_list.h"

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

// The words an attribute accepts and what each one stands for.
template <class T>
struct Word {
  std::u16string_view word;
  T meaning;
};
constexpr Word<HorAlign> kHorAlignWords[] = {
    {u"left", kHorAlignLeft}, {u"center", kHorAlignCenter}, {u"right", kHorAlignRight}};
constexpr Word<VerAlign> kVerAlignWords[] = {
    {u"top", kVerAlignTop}, {u"center", kVerAlignCenter}, {u"bottom", kVerAlignBottom}};
constexpr Word<ControlState> kStateWords[] = {{u"normal", kStateNormal},
                                              {u"hot", kStateHot},
                                              {u"pushed", kStatePushed},
                                              {u"disabled", kStateDisabled}};
constexpr Word<CursorType> kCursorWords[] = {
    {u"arrow", kCursorArrow}, {u"hand", kCursorHand}, {u"ibeam", kCursorIBeam}};

// Sets `*out` to the meaning of `value` when it is one of `words`.
template <class T, size_t N>
bool SetFromWord(const std::u16string& value, const Word<T> (&words)[N], T* out) {
  for (const Word<T>& w : words) {
    if (value == w.word) {
      *out = w.meaning;
      return true;
    }
  }
  return false;
}

int32_t ScaledInt(const std::u16string& value) { return DpiScale::Scale(ParseInt(value)); }

// A minimum width or height: scaled; a negative number keeps `current`.
int32_t ScaledMinimum(const std::u16string& value, int32_t current) {
  const int32_t number = ParseInt(value);
  return number >= 0 ? DpiScale::Scale(number) : current;
}

// One number for all four sides (scaled), or, written with commas, the four
// sides as they are.
Rect BorderSizeOf(const std::u16string& value) {
  if (value.find(u',') != std::u16string::npos) return ParseRect(value);
  const int32_t size = ScaledInt(value);
  return Rect{size, size, size, size};
}

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
  GetAttributes().Apply(*this, name, value);
}

// The vocabulary of every skin element. Sizes, margins, border widths,
// offsets and minimums are DPI-scaled; booleans are true only for "true";
// a word outside an attribute's words changes nothing.
const ControlAttributes& Control::Attributes() {
  using C = Control&;
  using V = const std::u16string&;
  static const AttributeTable<Control> table(
      nullptr,
      {
          {u"class", [](C c, V v) { c.ApplyClass(v); }},
          {u"halign", [](C c, V v) { SetFromWord(v, kHorAlignWords, &c.hor_align_); }},
          {u"valign", [](C c, V v) { SetFromWord(v, kVerAlignWords, &c.ver_align_); }},
          {u"margin", [](C c, V v) { c.SetMargin(ParseRect(v), true); }},
          {u"bkcolor", [](C c, V v) { c.SetBkColor(v); }},
          {u"bkcolor1", [](C c, V v) { c.SetBkColor(v); }},
          {u"bordersize", [](C c, V v) { c.SetBorderSize(BorderSizeOf(v)); }},
          {u"borderround", [](C c, V v) { c.border_round_ = ParsePair(v); }},
          {u"width", [](C c, V v) { c.SetFixedWidth(ParseSize(v), true); }},
          {u"height", [](C c, V v) { c.SetFixedHeight(ParseSize(v), true); }},
          {u"maxwidth", [](C c, V v) { c.SetMaxWidth(ParseSize(v)); }},
          {u"maxheight", [](C c, V v) { c.SetMaxHeight(ParseSize(v)); }},
          {u"state", [](C c, V v) { c.SetStateFromSkin(v); }},
          {u"cursortype", [](C c, V v) { SetFromWord(v, kCursorWords, &c.cursor_type_); }},
          {u"renderoffset",
           [](C c, V v) { c.render_offset_ = DpiScale::ScalePoint(ParsePair(v)); }},
          {u"normalcolor", [](C c, V v) { c.ResolveColor(v, &c.state_colors_[kStateNormal]); }},
          {u"hotcolor", [](C c, V v) { c.ResolveColor(v, &c.state_colors_[kStateHot]); }},
          {u"pushedcolor", [](C c, V v) { c.ResolveColor(v, &c.state_colors_[kStatePushed]); }},
          {u"disabledcolor", [](C c, V v) { c.ResolveColor(v, &c.state_colors_[kStateDisabled]); }},
          {u"bordercolor", [](C c, V v) { c.ResolveColor(v, &c.border_color_); }},
          {u"leftbordersize", [](C c, V v) { c.border_size_.left = ScaledInt(v); }},
          {u"topbordersize", [](C c, V v) { c.border_size_.top = ScaledInt(v); }},
          {u"rightbordersize", [](C c, V v) { c.border_size_.right = ScaledInt(v); }},
          {u"bottombordersize", [](C c, V v) { c.border_size_.bottom = ScaledInt(v); }},
          {u"bkimage",
           [](C c, V v) {
             c.bk_image_ = v;
             c.Invalidate();
           }},
          {u"minwidth", [](C c, V v) { c.SetMinWidth(ScaledMinimum(v, c.min_width_)); }},
          {u"minheight", [](C c, V v) { c.SetMinHeight(ScaledMinimum(v, c.min_height_)); }},
          {u"name", [](C c, V v) { c.name_ = v; }},
          {u"tooltiptext", [](C c, V v) { c.tooltip_ = v; }},
          {u"tooltiptextid", [](C c, V v) { c.tooltip_ = GlobalManager::GetLanguageString(v); }},
          {u"dataid", [](C c, V v) { c.data_id_ = v; }},
          {u"enabled", [](C c, V v) { c.SetEnabled(IsTrue(v)); }},
          {u"mouse", [](C c, V v) { c.mouse_enabled_ = IsTrue(v); }},
          {u"keyboard", [](C c, V v) { c.keyboard_enabled_ = IsTrue(v); }},
          {u"visible", [](C c, V v) { c.SetVisible(IsTrue(v)); }},
          {u"fadevisible", [](C c, V v) { c.SetFadeVisible(IsTrue(v)); }},
          {u"menu", [](C c, V v) { c.menu_ = IsTrue(v); }},
          {u"float", [](C c, V v) { c.SetFloat(IsTrue(v)); }},
          {u"cache", [](C c, V v) { c.cache_ = IsTrue(v); }},
          {u"nofocus", [](C c, V) { c.SetNoFocus(); }},  // whatever the value says
          {u"alpha", [](C c, V v) { c.SetAlpha(ParseInt(v)); }},
          {u"normalimage", [](C c, V v) { c.state_images_[kStateNormal] = v; }},
          {u"hotimage", [](C c, V v) { c.state_images_[kStateHot] = v; }},
          {u"pushedimage", [](C c, V v) { c.state_images_[kStatePushed] = v; }},
          {u"disabledimage", [](C c, V v) { c.state_images_[kStateDisabled] = v; }},
          {u"forenormalimage", [](C c, V v) { c.fore_state_images_[kStateNormal] = v; }},
          {u"forehotimage", [](C c, V v) { c.fore_state_images_[kStateHot] = v; }},
          {u"forepushedimage", [](C c, V v) { c.fore_state_images_[kStatePushed] = v; }},
          {u"foredisabledimage", [](C c, V v) { c.fore_state_images_[kStateDisabled] = v; }},
          {u"fadealpha", [](C c, V v) { c.fades_.alpha = IsTrue(v); }},
          {u"fadehot", [](C c, V v) { c.fades_.hot = IsTrue(v); }},
          {u"fadewidth", [](C c, V v) { c.fades_.width = IsTrue(v); }},
          {u"fadeheight", [](C c, V v) { c.fades_.height = IsTrue(v); }},
          {u"fadeinoutxfromleft", [](C c, V v) { c.fades_.x_from_left = IsTrue(v); }},
          {u"fadeinoutxfromright", [](C c, V v) { c.fades_.x_from_right = IsTrue(v); }},
          {u"fadeinoutyfromtop", [](C c, V v) { c.fades_.y_from_top = IsTrue(v); }},
          {u"fadeinoutyfrombottom", [](C c, V v) { c.fades_.y_from_bottom = IsTrue(v); }},
          {u"receivepointer", [](C c, V v) { c.receive_pointer_ = IsTrue(v); }},
      });
  return table;
}

void Control::SetBkColor(const std::u16string& value) {
  ResolveColor(value, &bk_color_);
  Invalidate();
}

void Control::SetBorderSize(const Rect& sizes) {
  border_size_ = sizes;
  Invalidate();
}

void Control::SetStateFromSkin(const std::u16string& word) {
  ControlState state = kStateNormal;
  if (!SetFromWord(word, kStateWords, &state)) return;
  SetState(state);
  // The hot fade starts where the state is: out for "normal", in for "hot".
  if (state == kStateNormal) hot_alpha_ = 0;
  if (state == kStateHot) hot_alpha_ = 255;
}

void Control::SetAlpha(int32_t alpha) {
  alpha_ = alpha;
  Invalidate();
}

void Control::SetPos(const Rect& rect) {
  if (pos_ == rect) return;
  // Both the place it leaves and the place it takes need drawing.
  if (window_) window_->InvalidateRect(pos_);
  pos_ = rect;
  Invalidate();
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
  const Rect m = scale ? DpiScale::ScaleRect(margin) : margin;
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

void Control::SetState(ControlState state) {
  if (state_ == state) return;
  state_ = state;
  Invalidate();
}

bool Control::IsActivatable() const { return enabled_ && visible_; }

bool Control::Activate() { return IsActivatable(); }

uint32_t Control::GetStateColor(ControlState state) const {
  return state >= 0 && state < 4 ? state_colors_[state] : 0;
}

const std::u16string& Control::GetStateImage(ControlState state) const {
  return state >= 0 && state < 4 ? state_images_[state] : EmptyText();
}

const std::u16string& Control::GetForeStateImage(ControlState state) const {
  return state >= 0 && state < 4 ? fore_state_images_[state] : EmptyText();
}

void Control::Paint(PaintList* list, const Rect& clip) {
  if (!visible_) return;
  const Rect visible = Intersect(pos_, clip);
  if (visible.IsEmpty() || alpha_ <= 0) return;
  list->PushClip(visible);
  if (alpha_ < 255) list->BeginGroup();
  PaintSelf(list);
  PaintChildren(list, visible);
  if (alpha_ < 255) list->EndGroup(alpha_ / 255.0);
  list->PopClip();
}

void Control::PaintSelf(PaintList* list) {
  list->Fill(pos_, bk_color_);
  const ControlState state = enabled_ ? state_ : kStateDisabled;
  uint32_t state_color = GetPaintStateColor(state);
  if (state_color == 0 && state != kStateNormal) state_color = GetPaintStateColor(kStateNormal);
  list->Fill(pos_, state_color);
  if (!bk_image_.empty()) PaintImage(list, pos_, bk_image_);
  PaintStateImage(list, state, &Control::GetPaintStateImage);
  PaintStateImage(list, state, &Control::GetPaintForeStateImage);
  PaintContent(list);
  list->Border(pos_, border_size_, border_color_);
}

void Control::PaintStateImage(PaintList* list, ControlState state,
                              const std::u16string& (Control::*image_of)(ControlState) const) {
  const std::u16string& own = (this->*image_of)(state);
  const bool own_may_draw = !own.empty() && PaintImage(list, pos_, own);
  if (state == kStateNormal) return;
  const std::u16string& normal = (this->*image_of)(kStateNormal);
  if (!normal.empty()) PaintImage(list, pos_, normal, own_may_draw);
}

bool Control::PaintImage(PaintList* list, const Rect& rect, const std::u16string& description,
                         bool otherwise) const {
  ImageStep step;
  const std::u16string layout_path = window_ ? window_->GetLayoutPath() : std::u16string();
  if (!ImageStepBuilder::Build(description, layout_path, rect, &step)) return false;
  step.otherwise = otherwise;
  list->Image(std::move(step));
  return true;
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
  // Everything the control draws lies inside its rectangle (drawing is
  // clipped to it), so that is all that needs drawing again.
  if (window_) window_->InvalidateRect(pos_);
}

}  // namespace ui
