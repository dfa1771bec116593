// Window: the framework's window without a native surface. It owns the
// root of a control tree, lays the tree out at the window's client size,
// finds controls by name, binds control handlers weakly to itself, attaches
// the standard caption buttons, and turns input (mouse move, button down
// and up, keys, characters, focus) into control events: hit testing, hot
// and pushed states, capture, focus, click activation on release inside
// the control, space and return activation.
//
// The native window (another layer) feeds it input and draws its tree; all
// calls happen on the UI thread. Close, Minimize, Maximize and Restore are
// virtual so that the native window can act on them; here they record the
// requested state.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "base/weak_callback.h"
#include "ui/core/attribute_table.h"
#include "ui/core/control.h"
#include "ui/core/event_args.h"
#include "ui/core/geometry.h"
#include "ui/skin/style_sheet.h"

namespace ui {

class PaintList;

class Window : public virtual nbase::SupportWeakCallback {
 public:
  enum class ShowState { kNormal, kMinimized, kMaximized };

  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // --- skin -------------------------------------------------------------
  // The layout's folder and file under the theme root, named by subclasses.
  virtual std::u16string GetSkinFolder() { return std::u16string(); }
  virtual std::u16string GetSkinFile() { return std::u16string(); }
  // The caption of the box that tells of a layout that cannot be loaded.
  static constexpr char16_t kSkinLoaderCaption[] = u"Skin Loader";

  // Builds the tree from the skin package (theme root + folder + "/" +
  // file), runs InitWindow and attaches the caption buttons. False (and no
  // controls) when the layout cannot be loaded: the system message box
  // (kSkinLoaderCaption, error icon) shows GetLastLoadError(), "Failed to
  // load xml file <path>", and the caller gives the window up.
  bool LoadSkin();
  const std::u16string& GetLastLoadError() const { return load_error_; }
  // The path of the loaded layout; image names resolve relative to it.
  const std::u16string& GetLayoutPath() const { return layout_path_; }
  void SetLayoutPath(const std::u16string& path) { layout_path_ = path; }
  // The natural size of an image named in this window's layout.
  Size GetImageSize(const std::u16string& description) const;
  // The custom-control callback of this window's builder: a control for an
  // element name the builder does not know, or nullptr.
  virtual Control* CreateControl(const std::u16string& element_name);
  // Called once after the tree is built: subclasses find their controls.
  virtual void InitWindow() {}

  // Applies one attribute of the layout's "Window" element through
  // Attributes(); other names are ignored.
  void SetAttribute(const std::u16string& name, const std::u16string& value);
  // "size", "caption", "roundcorner", "sizebox", "mininfo", "maxinfo",
  // "shadowattached", "text" and "textid" (window.cc). The shadow's image
  // and corners, "alphafixcorner", "custom_shadow" and "heightpercent" are
  // accepted by the builder and have no effect.
  static const AttributeVocabulary<Window>& Attributes();
  Size GetInitialSize() const { return initial_size_; }
  const Rect& GetCaptionRect() const { return caption_rect_; }
  Point GetRoundCorner() const { return round_corner_; }
  bool IsShadowAttached() const { return shadow_attached_; }
  const std::u16string& GetTitleText() const { return title_; }

  // Classes of the layout's own "Class" elements; they come before the
  // global ones when a control applies "class".
  // False when the attribute list does not parse.
  bool AddClass(const std::u16string& name, const std::u16string& attribute_list);
  // Null when the window has no class of that name.
  const AttributeList* GetClassAttributes(const std::u16string& name) const;

  // --- tree -------------------------------------------------------------
  // Takes ownership of the root (replacing and destroying an earlier one).
  void AttachRoot(Control* root);
  Control* GetRoot() const { return root_.get(); }
  Control* FindControl(const std::u16string& name) const;
  // Binds a handler weakly to this window: it runs only while the window
  // lives. False when the control is null.
  bool AttachEvent(Control* control, int32_t type, EventCallback callback);
  bool AttachEvent(const std::u16string& control_name, int32_t type, EventCallback callback);
  // The same for events that rise from the box's descendants.
  bool AttachBubbledEvent(Control* box, int32_t type, EventCallback callback);
  // Click handlers for "closebtn", "minbtn", "maxbtn" and "restorebtn".
  void AttachCaptionButtons();

  // --- layout -----------------------------------------------------------
  // Sets the client size and lays the tree out again.
  void Resize(Size size);
  Size GetClientSize() const { return client_size_; }
  // Marks the layout stale; done by controls whose wishes changed.
  void NeedUpdate() { layout_dirty_ = true; }
  bool IsLayoutDirty() const { return layout_dirty_; }
  // Lays the tree out when it is stale: the root placed inside the client
  // rectangle by its own size wishes, margins and alignment.
  void LayoutIfNeeded();
  // Lays the whole tree out now.
  void Relayout();
  // Repaint requests: Invalidate() asks for the whole window, InvalidateRect()
  // for a part of it (a control asks for its rectangle, and a control that
  // moves for the old one and the new one). Every request counts in
  // PaintRequests(); the native window repaints GetInvalidRect() and then
  // calls ClearInvalid().
  void Invalidate();
  void InvalidateRect(const Rect& rect);
  uint32_t PaintRequests() const { return paint_requests_; }
  // Lays the tree out when needed and appends what the window looks like
  // inside `dirty` (all of the client area when empty) to `list`: a clip
  // to that part around the steps of the root and its descendants.
  void Paint(PaintList* list, const Rect& dirty = Rect());
  // The union of the parts asked for since the last ClearInvalid(), within
  // the client area; all of it after Invalidate().
  Rect GetInvalidRect() const;
  void ClearInvalid();

  // --- window state -----------------------------------------------------
  virtual void Close(uint32_t code = 0);
  virtual void Minimize();
  virtual void Maximize();
  virtual void Restore();
  bool IsCloseRequested() const { return close_requested_; }
  uint32_t GetCloseCode() const { return close_code_; }
  ShowState GetShowState() const { return show_state_; }
  // A disabled window takes no input (an owner under a modal box).
  void SetWindowEnabled(bool enabled) { window_enabled_ = enabled; }
  bool IsWindowEnabled() const { return window_enabled_; }

  // --- input ------------------------------------------------------------
  void OnMouseMove(Point point);
  void OnButtonDown(Point point);
  void OnButtonUp(Point point);
  void OnDoubleClick(Point point);
  void OnRightButtonDown(Point point);
  // The pointer left the window: the hot control goes back to normal.
  void OnMouseLeaveWindow();
  // `modifiers`: KeyModifier bits held with the key.
  void OnKeyDown(int32_t key, uint32_t modifiers = 0);
  void OnKeyUp(int32_t key);
  void OnChar(char16_t ch);
  // The Escape key, before the focused control sees it. Return true when
  // handled (the message box answers "No").
  virtual bool OnEscape() { return false; }

  // The native window lost or regained the keyboard focus: the focused
  // control is told it lost the focus, and gets it back (when it still can
  // take it) when the window is focused again.
  void OnWindowFocus(bool focused);
  // Moves the focus to the next control, in tree order, that can take it,
  // takes keyboard input and is shown (its boxes visible too); wraps
  // around. The Tab key does this unless the focused control wants tabs.
  void FocusNext();
  // Moves the focus; a control that cannot take focus leaves it unchanged.
  // nullptr removes the focus.
  void SetFocus(Control* control);
  Control* GetFocus() const { return focus_; }
  // The pointer's shape over this window now (a CursorType): that of the
  // control holding the mouse capture, else of the control under the
  // pointer, else the arrow.
  int32_t GetCursorType() const;
  Control* GetHot() const { return hot_; }
  Control* GetCapture() const { return capture_; }
  Point GetLastMousePos() const { return last_mouse_; }
  // Drops every reference to `control` and its descendants (hidden,
  // disabled or destroyed controls).
  void ForgetControl(Control* control);

 private:
  // The start of every mouse input: records the pointer and lays the tree
  // out when it is stale. False when the window takes no input now.
  bool BeginMouseInput(Point point);
  void SendMouse(Control* target, int32_t type, Point point);
  // Makes `hit` the hot control: the old one gets the mouse-leave event,
  // then the new one the mouse-enter event. Nothing when it already is.
  void SetHot(Control* hit, Point point);
  // A key event (down, up or character) to the focused control, if any.
  void SendKey(int32_t type, int32_t key, uint32_t modifiers);
  static bool IsInside(const Control* ancestor, const Control* control);

  std::unique_ptr<Control> root_;
  std::map<std::u16string, AttributeList> classes_;
  std::u16string load_error_;
  std::u16string layout_path_;

  Size initial_size_;
  Size client_size_;
  Rect caption_rect_;
  Point round_corner_;
  Rect size_box_;
  Size min_info_;
  Size max_info_;
  bool shadow_attached_ = true;
  std::u16string title_;

  bool layout_dirty_ = true;
  uint32_t paint_requests_ = 0;
  Rect invalid_rect_;
  bool invalid_whole_ = false;
  bool close_requested_ = false;
  uint32_t close_code_ = 0;
  ShowState show_state_ = ShowState::kNormal;
  bool window_enabled_ = true;

  Control* focus_ = nullptr;
  Control* hot_ = nullptr;
  Control* capture_ = nullptr;
  Control* focus_before_blur_ = nullptr;
  Point last_mouse_;
};

}  // namespace ui
