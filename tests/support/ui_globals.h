// The UI framework's process-wide state for tests: one call that puts all of
// it back to how a fresh process starts, so that a fixture neither depends on
// nor leaves behind what another test set, and the start-up's way of loading
// the packed skin.
#pragma once

#include <cstdint>
#include <string>

namespace ui {
class TextMeasurer;
}  // namespace ui

namespace varnik_test {

// No skin package, no resource, theme, language or file-system folder, no
// fonts, colours, classes, language strings or custom-control creator, no
// text measurer, no cached image sizes, and the scale at 100 % without DPI
// adaptation.
void ResetUiGlobals();

// Does what the installer's start-up does with its skin: opens the ZIP at
// `zip_path` as the skin package, sets the scale (adaptation on), the
// resource root, `theme` and the Chinese language folder, installs
// `measurer`, and reads the style sheet and the language strings. False when
// any step fails.
bool LoadPackedSkin(const std::string& zip_path, const std::u16string& theme, int32_t scale_percent,
                    ui::TextMeasurer* measurer);

}  // namespace varnik_test
