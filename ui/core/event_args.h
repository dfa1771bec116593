// Control events: the event codes of the framework and the record an event
// handler receives. The numbering is the one the skins' declarative events
// use, so a code read from markup and a code sent by a control agree.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/core/geometry.h"

namespace ui {

class Control;

enum EventType : int32_t {
  kEventNone = 0,
  kEventInternalMenu = 1,  // raw context-menu request; buttons turn it into kEventMenu
  kEventUnknown = 4,       // what an unknown declarative event name stands for
  kEventAll = 6,
  kEventKeyDown = 8,
  kEventKeyUp = 9,
  kEventChar = 10,
  kEventSysKey = 11,
  kEventMouseMove = 14,
  kEventMouseEnter = 15,
  kEventMouseLeave = 16,
  kEventMouseHover = 17,
  kEventMouseButtonDown = 18,
  kEventMouseButtonUp = 19,
  kEventMouseRightButtonDown = 20,
  kEventMouseDoubleClick = 22,
  kEventMenu = 23,
  kEventScrollWheel = 24,
  kEventSetFocus = 36,
  kEventKillFocus = 37,
  kEventWindowClose = 39,
  kEventSetCursor = 40,
  kEventClick = 41,
  kEventSelect = 42,
  kEventUnselect = 43,
  kEventReturn = 45,
  kEventTab = 46,
  kEventScrollChange = 50,
  kEventValueChange = 51,
  kEventTextChange = 52,  // a rich edit's text was changed by the user
};

// True for the events that come from the mouse (move, enter, leave, hover,
// buttons, wheel): the ones a disabled button hands to its parent.
bool IsMouseEvent(int32_t type);

// The declarative event name ("click", "mouseenter", ...) as a code; any
// name outside the table gives kEventUnknown.
int32_t EventTypeFromName(std::u16string_view name);

// Key codes of synthetic key events (the virtual-key numbering).
enum KeyCode : int32_t {
  kKeyBack = 0x08,
  kKeyTab = 0x09,
  kKeyReturn = 0x0D,
  kKeyEscape = 0x1B,
  kKeySpace = 0x20,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyDelete = 0x2E,
};

// Modifier keys held during a key event (EventArgs::modifiers).
enum KeyModifier : uint32_t {
  kModShift = 1,
  kModControl = 2,
};

struct EventArgs {
  int32_t type = kEventNone;
  Control* sender = nullptr;
  uint32_t timestamp = 0;  // milliseconds of the monotonic clock, 32-bit wrap
  Point mouse_point;       // the window's last mouse position
  int32_t key = 0;         // key code (key events) or UTF-16 unit (char events)
  uint32_t modifiers = 0;  // KeyModifier bits of key-down events
};

// A control event handler. Returning false stops the event: later handlers
// of the same control and the bubbled handlers of its boxes do not see it.
using EventCallback = std::function<bool(const EventArgs&)>;

}  // namespace ui
