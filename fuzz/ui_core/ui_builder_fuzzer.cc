// Builds a window from arbitrary markup, lays it out at a size taken from
// the input and drives it with mouse and keyboard input at points taken
// from the input. Whatever the markup holds, building, layout and input
// must end without a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/utf.h"
#include "ui/core/control.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool initialised = [] {
    // Includes name files; none can be read from here.
    ui::ResourceLoader::SetFileSystemRoot(u"/nonexistent-varnik-fuzz/");
    return true;
  }();
  (void)initialised;
  if (size < 4) return 0;
  const int32_t width = data[0] * 4;
  const int32_t height = data[1] * 4;
  const uint8_t px = data[2];
  const uint8_t py = data[3];
  std::u16string text =
      nbase::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data + 4), size - 4));
  // Text that does not begin with "<" would be taken as a path.
  if (text.empty() || text[0] != u'<') text.insert(text.begin(), u'<');

  ui::Window window;
  ui::WindowBuilder builder;
  ui::Control* root = builder.Create(text, nullptr, &window, nullptr);
  if (!root) return 0;
  window.AttachRoot(root);
  window.Resize(ui::Size{width, height});
  const ui::Point points[] = {{px, py}, {py, px}, {width / 2, height / 2}};
  for (const ui::Point& p : points) {
    window.OnMouseMove(p);
    window.OnButtonDown(p);
    window.OnButtonUp(p);
    window.OnRightButtonDown(p);
    window.OnKeyDown(ui::kKeySpace);
    window.OnChar(u'x');
    window.OnKeyDown(ui::kKeyBack);
  }
  window.Relayout();
  return 0;
}
