// Control: the base of every element of a skinned window. It holds the base
// attributes every skin element understands (size wishes, margins,
// alignment, colours, images, states, flags), its place in the tree, its
// event handlers, and the mouse behaviour shared by all controls (hot and
// pushed states, activation on a release inside the control).
//
// Attributes apply one at a time, in document order, through the table of
// the control's class (Attributes() in control.cc lists the names every
// element understands); "class" applies the named attribute list where it
// stands. Sizes are -1 ("stretch"), -2 ("auto") or pixels; every scaled
// number goes through DpiScale.
//
// Painting: a control describes what it looks like as steps of a paint list
// (Paint); the kinds of control say what differs through virtual hooks (the
// looks of a state, PaintContent, PaintChildren). The backends ask what they
// need to know about a control's behaviour through virtual questions too
// (TakesClicks, IsTextInput and the text-input calls), never by its type.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/attribute_table.h"
#include "ui/core/event_args.h"
#include "ui/core/geometry.h"

namespace ui {

class Box;
class PaintList;
class Window;

constexpr int32_t kSizeStretch = -1;
constexpr int32_t kSizeAuto = -2;
// The default maximum width and height: no limit set.
constexpr int32_t kMaxSizeUnset = 9999999;

enum HorAlign : int32_t { kHorAlignLeft = 0, kHorAlignCenter = 1, kHorAlignRight = 2 };
enum VerAlign : int32_t { kVerAlignTop = 0, kVerAlignCenter = 1, kVerAlignBottom = 2 };
enum ControlState : int32_t {
  kStateNormal = 0,
  kStateHot = 1,
  kStatePushed = 2,
  kStateDisabled = 3,
};
enum CursorType : int32_t { kCursorArrow = 0, kCursorHand = 1, kCursorIBeam = 2 };

// The fade and slide animations a skin switches on; how they run is the
// renderer's business.
struct FadeSwitches {
  bool alpha = false;        // the opacity
  bool hot = false;          // the change into and out of the hot state
  bool width = false;        // the width
  bool height = false;       // the height
  bool x_from_left = false;  // a horizontal slide from the left
  bool x_from_right = false;
  bool y_from_top = false;  // a vertical slide from the top
  bool y_from_bottom = false;
};

// Parses the "left,top,right,bottom" form: four decimal integers separated
// by single characters. Missing numbers stay 0.
Rect ParseRect(const std::u16string& value);
// Parses the "a,b" form.
Point ParsePair(const std::u16string& value);
// Parses a leading decimal integer (optional sign); 0 when there is none.
// Every number is bounded to +-1,000,000.
int32_t ParseInt(const std::u16string& value);

class Control;
using ControlAttributes = AttributeVocabulary<Control>;

class Control {
 public:
  Control();
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The element kind, for diagnostics and tests ("Control", "Label", ...).
  virtual std::u16string GetType() const { return u"Control"; }
  virtual bool IsBox() const { return false; }

  // --- tree -------------------------------------------------------------
  Box* GetParent() const { return parent_; }
  Window* GetWindow() const { return window_; }
  // Attaches the control (and, for boxes, its children) to a window and a
  // parent; done by the builder and by Box::Add.
  virtual void SetWindow(Window* window, Box* parent);
  void SetWindow(Window* window);
  const std::u16string& GetName() const { return name_; }
  void SetName(const std::u16string& name) { name_ = name; }
  // The control itself when its name matches, else a matching descendant.
  virtual Control* FindControl(const std::u16string& name);
  // The topmost visible control under `point` that takes mouse input.
  virtual Control* FindControlAt(Point point);

  // --- attributes -------------------------------------------------------
  // Applies one attribute through the table of the control's class; names
  // the control does not know are ignored.
  void SetAttribute(const std::u16string& name, const std::u16string& value);
  // The table of the names every control understands, which the tables of
  // derived classes extend.
  static const ControlAttributes& Attributes();
  // The table of this control's class.
  virtual const ControlAttributes& GetAttributes() const { return Attributes(); }
  // Applies an attribute list ("name=\"value\" ...") through SetAttribute;
  // false (nothing applied) when the list does not parse.
  bool ApplyAttributeList(const std::u16string& list);

  // --- geometry ---------------------------------------------------------
  const Rect& GetPos() const { return pos_; }
  virtual void SetPos(const Rect& rect);
  // The size the control wants inside `available`: fixed values as they
  // are, -1 for stretch, and auto dimensions measured from the content.
  virtual Size EstimateSize(Size available);

  int32_t GetFixedWidth() const { return fixed_width_; }
  int32_t GetFixedHeight() const { return fixed_height_; }
  // Sets a size wish; a positive value is DPI-scaled when `scale` is true.
  // The box lays out again when the stored value changes.
  void SetFixedWidth(int32_t width, bool scale = true);
  void SetFixedHeight(int32_t height, bool scale = true);
  // Same, without asking for a new layout (the layouts' own re-estimate).
  void SetFixedWidthQuiet(int32_t width) { fixed_width_ = width; }
  int32_t GetMinWidth() const { return min_width_; }
  int32_t GetMinHeight() const { return min_height_; }
  int32_t GetMaxWidth() const { return max_width_; }
  int32_t GetMaxHeight() const { return max_height_; }
  void SetMinWidth(int32_t v);
  void SetMinHeight(int32_t v);
  void SetMaxWidth(int32_t v);
  void SetMaxHeight(int32_t v);
  const Rect& GetMargin() const { return margin_; }
  void SetMargin(const Rect& margin, bool scale = true);
  HorAlign GetHorAlign() const { return hor_align_; }
  VerAlign GetVerAlign() const { return ver_align_; }
  void SetHorAlign(HorAlign align) { hor_align_ = align; }
  void SetVerAlign(VerAlign align) { ver_align_ = align; }
  bool IsFloat() const { return float_; }
  void SetFloat(bool is_float);

  // --- state ------------------------------------------------------------
  bool IsVisible() const { return visible_; }
  // The visibility switch; a hidden control loses focus and hot state.
  virtual void SetVisible(bool visible);
  // The same switch, asking the renderer to fade the change in or out.
  void SetFadeVisible(bool visible);
  // How the last visibility change was made (renderers animate a fade).
  bool LastVisibilityChangeFaded() const { return last_change_faded_; }
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool IsMouseEnabled() const { return mouse_enabled_; }
  void SetMouseEnabled(bool v) { mouse_enabled_ = v; }
  bool IsKeyboardEnabled() const { return keyboard_enabled_; }
  void SetKeyboardEnabled(bool v) { keyboard_enabled_ = v; }
  bool IsContextMenuUsed() const { return menu_; }
  void SetContextMenuUsed(bool v) { menu_ = v; }
  bool IsNoFocus() const { return no_focus_; }
  void SetNoFocus() { no_focus_ = true; }
  // Whether the Tab key goes to this control instead of moving the focus.
  virtual bool WantsTab() const { return false; }
  // Visible, enabled and not marked "nofocus".
  virtual bool IsFocusable() const;
  bool IsFocused() const;
  ControlState GetState() const { return state_; }
  void SetState(ControlState state);
  int32_t GetHotAlpha() const { return hot_alpha_; }

  // Enabled and visible: what activation requires.
  virtual bool IsActivatable() const;
  // A completed click or its keyboard equivalent. The base only reports
  // whether the control can be activated.
  virtual bool Activate();

  // --- behaviour the backends ask about ----------------------------------
  // Whether a click on the control means something (a button, an edit
  // field): the window's caption area does not drag the window there.
  virtual bool TakesClicks() const { return false; }
  // Whether the control takes typed text: the backend hands it the input
  // method's composition and the clipboard keys. The calls below do
  // nothing (and answer "nothing done") for other controls.
  virtual bool IsTextInput() const { return false; }
  // The input method's uncommitted text, shown at the caret.
  virtual void SetCompositionText(const std::u16string& /*text*/) {}
  // Inserts text as the user would (paste); whether the text changed.
  virtual bool InsertText(const std::u16string& /*text*/) { return false; }
  // The selected text for the clipboard.
  virtual std::u16string Copy() const { return std::u16string(); }
  // Removes the selection as the user would and gives it in `cut`.
  virtual bool Cut(std::u16string* /*cut*/) { return false; }
  // Where the control's text lies (the input method's window opens there).
  virtual Rect GetTextRect() const { return pos_; }

  // --- painting ---------------------------------------------------------
  // Appends to `list` what the control and its descendants look like
  // inside `clip`: nothing when the control is hidden, fully transparent or
  // outside the clip; else, clipped to its rectangle and translucent as a
  // whole when its alpha is below 255, its own looks - background colour,
  // state colour, background image, state image and foreground state image
  // (a state without its own image shows the normal one), PaintContent,
  // border - and then its children.
  void Paint(PaintList* list, const Rect& clip);

  // --- looks ------------------------------------------------------------
  uint32_t GetBkColor() const { return bk_color_; }
  uint32_t GetStateColor(ControlState state) const;
  uint32_t GetBorderColor() const { return border_color_; }
  const Rect& GetBorderSize() const { return border_size_; }
  Point GetBorderRound() const { return border_round_; }
  Point GetRenderOffset() const { return render_offset_; }
  const std::u16string& GetBkImage() const { return bk_image_; }
  void SetBkImage(const std::u16string& image) { bk_image_ = image; }
  const std::u16string& GetStateImage(ControlState state) const;
  const std::u16string& GetForeStateImage(ControlState state) const;
  CursorType GetCursorType() const { return cursor_type_; }
  int32_t GetAlpha() const { return alpha_; }
  const std::u16string& GetToolTipText() const { return tooltip_; }
  const std::u16string& GetDataId() const { return data_id_; }
  bool IsCached() const { return cache_; }
  bool IsReceivePointer() const { return receive_pointer_; }
  const FadeSwitches& GetFades() const { return fades_; }

  // --- events -----------------------------------------------------------
  // Binds a handler to an event code (kEventAll sees every event).
  void AttachEvent(int32_t type, EventCallback callback);
  void DetachEvent(int32_t type);
  // Entry point of every event: the handlers first (a disabled control's
  // mouse events skip them), then the boxes' bubbled handlers, then the
  // control's own behaviour (HandleEvent). Returns false when a handler
  // stopped the event or destroyed the control.
  bool Event(EventArgs args);
  // Builds an event of this control (time stamp, last mouse position) and
  // sends it to the handlers and bubbled handlers only.
  bool SendEvent(int32_t type, int32_t key = 0);

  // Asks for the control's rectangle to be drawn again; counted so tests
  // can see it.
  void Invalidate();
  uint32_t InvalidateCount() const { return invalidate_count_; }

 protected:
  // The control's own reaction to an event after the handlers saw it.
  virtual void HandleEvent(const EventArgs& args);
  // The looks of a state as drawn now. A check box answers with its
  // selected looks while selected.
  virtual uint32_t GetPaintStateColor(ControlState state) const { return GetStateColor(state); }
  virtual const std::u16string& GetPaintStateImage(ControlState state) const {
    return GetStateImage(state);
  }
  virtual const std::u16string& GetPaintForeStateImage(ControlState state) const {
    return GetForeStateImage(state);
  }
  // What a kind of control draws over its background and images, inside
  // its rectangle: a label's text, a progress bar's covered part, an edit
  // field's text. Nothing for a plain control.
  virtual void PaintContent(PaintList* /*list*/) {}
  // The children of a box, inside `clip`.
  virtual void PaintChildren(PaintList* /*list*/, const Rect& /*clip*/) {}
  // Appends the image step of a skin image description drawn into `rect`.
  // False when the description cannot draw anything (no step). With
  // `otherwise` the step draws only when the image step before it drew
  // nothing.
  bool PaintImage(PaintList* list, const Rect& rect, const std::u16string& description,
                  bool otherwise = false) const;
  // The content size used for "auto" dimensions: for a bare control the
  // natural size of its normal-state image, else of its background image.
  virtual Size EstimateContentSize(Size available);
  // The natural size of an image description of this control's layout.
  Size GetImageNaturalSize(const std::u16string& description) const;
  // Asks the owning window for a new layout.
  void Arrange();
  // Calls the handlers of args.type and kEventAll, then bubbles.
  bool FireHandlers(const EventArgs& args);
  EventArgs MakeEventArgs(int32_t type) const;
  bool ResolveColor(const std::u16string& value, uint32_t* argb) const;

 private:
  friend class Box;
  void ApplyClass(const std::u16string& class_name);
  void PaintSelf(PaintList* list);
  // The image of `state` from `image_of`, else the normal state's.
  void PaintStateImage(PaintList* list, ControlState state,
                       const std::u16string& (Control::*image_of)(ControlState) const);
  // Setters of the skin vocabulary that do more than store a value.
  void SetBkColor(const std::u16string& value);
  void SetBorderSize(const Rect& sizes);
  // "normal", "hot", "pushed" or "disabled"; the hot fade follows.
  void SetStateFromSkin(const std::u16string& word);
  void SetAlpha(int32_t alpha);

  std::u16string name_;
  Box* parent_ = nullptr;
  Window* window_ = nullptr;

  Rect pos_;
  int32_t fixed_width_ = kSizeStretch;
  int32_t fixed_height_ = kSizeStretch;
  int32_t min_width_ = 0;
  int32_t min_height_ = 0;
  int32_t max_width_ = kMaxSizeUnset;
  int32_t max_height_ = kMaxSizeUnset;
  Rect margin_;
  HorAlign hor_align_ = kHorAlignLeft;
  VerAlign ver_align_ = kVerAlignTop;
  bool float_ = false;

  bool visible_ = true;
  bool last_change_faded_ = false;
  bool enabled_ = true;
  bool mouse_enabled_ = true;
  bool keyboard_enabled_ = true;
  bool menu_ = false;
  bool no_focus_ = false;
  bool cache_ = false;
  bool receive_pointer_ = false;
  ControlState state_ = kStateNormal;
  int32_t hot_alpha_ = 0;
  int32_t alpha_ = 255;
  CursorType cursor_type_ = kCursorArrow;

  uint32_t bk_color_ = 0;
  std::array<uint32_t, 4> state_colors_{};
  uint32_t border_color_ = 0;
  Rect border_size_;
  Point border_round_;
  Point render_offset_;
  std::u16string bk_image_;
  std::array<std::u16string, 4> state_images_;
  std::array<std::u16string, 4> fore_state_images_;
  std::u16string tooltip_;
  std::u16string data_id_;
  FadeSwitches fades_;

  std::map<int32_t, std::vector<EventCallback>> handlers_;
  // Lives as long as the control: event dispatch checks it after every
  // handler, since a handler may destroy the control it was called for.
  std::shared_ptr<char> alive_ = std::make_shared<char>();
  uint32_t invalidate_count_ = 0;
};

}  // namespace ui
