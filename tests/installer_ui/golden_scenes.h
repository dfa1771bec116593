// The scenes of the golden images, the same for every backend: the real
// main window's pages on the road a user takes to them and the real
// question box with both installer questions, at the three theme variants.
// Each scene is handed to `show` with its name; the backend's test draws
// and compares it there.
#pragma once

#include <functional>
#include <string>

namespace ui {
class Window;
}

namespace installer_ui {
namespace golden {

struct Theme {
  const char16_t* folder;
  int percent;
};
inline constexpr Theme kThemes[] = {
    {u"themes\\default", 100}, {u"themes\\default-hdpi", 125}, {u"themes\\default-xhdpi", 150}};

using ShowScene = std::function<void(ui::Window* window, const std::string& name)>;

// main_welcome, main_installing (at 45 %), main_installed, main_failed and
// main_retention. The skin must be loaded.
void ShowMainWindowPages(const ShowScene& show);
// msgbox_exit and msgbox_running; the box is a real native window.
void ShowQuestionBoxes(const ShowScene& show);

}  // namespace golden
}  // namespace installer_ui
