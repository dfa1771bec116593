// Builds and lays out the main window's tree from the packed skin many
// times and prints microseconds per window, then the cost of one relayout
// of the whole tree. There is no fair peer to compare with; the figures
// guard the installer's start-up time. Text measurement uses the real
// fonts; its cache is warm after the first window, as in a running process.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/common/bench_metric.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace {

class MainWindow : public ui::Window {
 public:
  std::u16string GetSkinFolder() override { return u"basic"; }
  std::u16string GetSkinFile() override { return u"basic.xml"; }
};

double MicrosSince(std::chrono::steady_clock::time_point start, int count) {
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::micro>(elapsed).count() / count;
}

}  // namespace

int main() {
  std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
  std::string package((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!ui::ResourceLoader::OpenGlobalPackage(package)) {
    std::fprintf(stderr, "cannot open %s\n", VARNIK_SKIN_ZIP);
    return 1;
  }
  ui::ResourceLoader::SetResourceRoot(u"resources\\");
  ui::PangoTextMeasurer measurer;
  ui::TextMeasurer::SetInstance(&measurer);

  for (int percent : {100, 150}) {
    ui::GlobalManager::Reset();
    ui::DpiScale::Set(percent, true);
    ui::ResourceLoader::SetThemeFolder(percent == 100 ? u"themes\\default"
                                                      : u"themes\\default-xhdpi");
    if (!ui::WindowBuilder::LoadGlobalStyle()) {
      std::fprintf(stderr, "global.xml did not load\n");
      return 1;
    }
    {
      MainWindow warm;  // fills the text and image caches once
      warm.LoadSkin();
    }
    constexpr int kWindows = 300;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kWindows; ++i) {
      MainWindow window;
      if (!window.LoadSkin()) return 1;
      window.Resize(window.GetInitialSize());
    }
    const double build = MicrosSince(start, kWindows);

    MainWindow window;
    window.LoadSkin();
    window.Resize(window.GetInitialSize());
    constexpr int kLayouts = 20000;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLayouts; ++i) window.Relayout();
    const double relayout = MicrosSince(start, kLayouts);
    std::printf("basic.xml at %d %%: build + layout %.1f us per window, relayout %.2f us\n",
                percent, build, relayout);
    const std::string key = "build_basic_" + std::to_string(percent);
    bench::PrintMetric((key + "_us").c_str(), build);
    bench::PrintMetric((key + "_relayout_us").c_str(), relayout);
  }
  ui::TextMeasurer::SetInstance(nullptr);
  ui::ResourceLoader::CloseGlobalPackage();
  return 0;
}
