#include "ui/core/event_args.h"


namespace ui {

bool IsMouseEvent(int32_t type) {
  switch (type) {
    case kEventMouseMove:
    case kEventMouseEnter:
    case kEventMouseLeave:
    case kEventMouseHover:
    case kEventMouseButtonDown:
    case kEventMouseButtonUp:
    case kEventMouseRightButtonDown:
    case kEventMouseDoubleClick:
    case kEventScrollWheel:
      return true;
    default:
      return false;
  }
}

int32_t EventTypeFromName(std::u16string_view name) {
  struct Entry {
    std::u16string_view name;
    int32_t code;
  };
  static const Entry kTable[] = {
      {u"all", kEventAll},
      {u"keydown", kEventKeyDown},
      {u"keyup", kEventKeyUp},
      {u"char", kEventChar},
      {u"syskey", kEventSysKey},
      {u"setfocus", kEventSetFocus},
      {u"killfocus", kEventKillFocus},
      {u"setcursor", kEventSetCursor},
      {u"mousemove", kEventMouseMove},
      {u"mouseenter", kEventMouseEnter},
      {u"mouseleave", kEventMouseLeave},
      {u"mousehover", kEventMouseHover},
      {u"buttondown", kEventMouseButtonDown},
      {u"buttonup", kEventMouseButtonUp},
      {u"rbuttondown", kEventMouseRightButtonDown},
      {u"doubleclick", kEventMouseDoubleClick},
      {u"click", kEventClick},
      {u"select", kEventSelect},
      {u"unselect", kEventUnselect},
      {u"menu", kEventMenu},
      {u"scrollwheel", kEventScrollWheel},
      {u"scrollchange", kEventScrollChange},
      {u"valuechange", kEventValueChange},
      {u"return", kEventReturn},
      {u"tab", kEventTab},
      {u"windowclose", kEventWindowClose},
  };
  for (const Entry& e : kTable) {
    if (e.name == name) return e.code;
  }
  return kEventUnknown;
}

}  // namespace ui
