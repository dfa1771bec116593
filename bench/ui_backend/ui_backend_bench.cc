// On-screen costs of the installer's main window, against the floor of a
// minimal SDL + cairo + pango program that draws one line of text per frame,
// measured in the same run:
//  - time from creating the main window (layout loaded from the packed skin)
//    to its first complete frame;
//  - frame time of a full repaint and of a progress tick (the bar's value and
//    its label's text, as the installing page updates them);
//  - CPU time of the UI thread over an idle period with the 200 ms progress
//    tick running (default 10 s; the first argument changes it).
// Runs with any SDL video driver; SDL_VIDEODRIVER=dummy needs no display.
#include <SDL.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/message_loop.h"
#include "base/utf.h"
#include "base/weak_callback.h"
#include "bench/common/bench_metric.h"
#include "bench/common/peer_frame.h"
#include "ui/backend/sdl_native_window.h"
#include "ui/backend/sdl_backend.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

class MainSkinWindow : public ui::Window {
 public:
  std::u16string GetSkinFolder() override { return u"basic"; }
  std::u16string GetSkinFile() override { return u"basic.xml"; }
};

// The floor: one SDL window, one cairo frame with one pango text line,
// copied to the window surface, per frame.
double FloorFrameMs(int frames) {
  SDL_Window* window = SDL_CreateWindow("floor", 0, 0, 600, 400, SDL_WINDOW_BORDERLESS);
  if (!window) return -1;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    bench::PresentTextLineFrame(window, "正在安装，请不要关闭：45%");
  }
  const double ms = MsSince(start) / frames;
  SDL_DestroyWindow(window);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int idle_seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  if (!ui::SdlBackend::Initialize()) {
    std::fprintf(stderr, "SDL: %s\n", ui::SdlBackend::GetLastError().c_str());
    return 1;
  }
  std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!ui::ResourceLoader::OpenGlobalPackage(std::move(bytes))) {
    std::fprintf(stderr, "cannot open %s\n", VARNIK_SKIN_ZIP);
    return 1;
  }
  ui::DpiScale::Set(100, true);
  ui::ResourceLoader::SetResourceRoot(u"resources\\");
  ui::ResourceLoader::SetThemeFolder(u"themes\\default");
  ui::PangoTextMeasurer measurer;
  ui::TextMeasurer::SetInstance(&measurer);
  ui::WindowBuilder::LoadGlobalStyle();
  nbase::MessageLoop loop(nbase::MessageLoop::kUI);

  constexpr int kFrames = 200;
  const double floor_ms = FloorFrameMs(kFrames);

  const Clock::time_point created = Clock::now();
  MainSkinWindow window;
  if (!window.LoadSkin()) {
    std::fprintf(stderr, "cannot load basic.xml\n");
    return 1;
  }
  ui::SdlNativeWindow native(&window);
  if (!native.Create(nullptr, "VarnikPDF转换器")) return 1;
  native.Show();
  const double first_frame_ms = MsSince(created);

  Clock::time_point start = Clock::now();
  for (int i = 0; i < kFrames; ++i) native.PaintNow();
  const double full_ms = MsSince(start) / kFrames;

  if (ui::Control* c = window.FindControl(u"welcompage")) c->SetVisible(false);
  if (ui::Control* c = window.FindControl(u"installpage")) c->SetVisible(true);
  auto* bar = dynamic_cast<ui::Progress*>(window.FindControl(u"progress_install"));
  auto* label = dynamic_cast<ui::Label*>(window.FindControl(u"progress_install_value"));
  auto tick_to = [&](int value) {
    if (bar) bar->SetValue(value);
    if (label) {
      label->SetText(u"正在安装，请不要关闭：" + nbase::Utf8ToUtf16(std::to_string(value)) + u"%");
    }
    native.PaintIfNeeded();
  };
  tick_to(0);
  int64_t painted_pixels = 0;
  start = Clock::now();
  for (int i = 0; i < kFrames; ++i) {
    tick_to(1 + i % 99);
    painted_pixels += static_cast<int64_t>(native.last_painted_rect().Width()) *
                      native.last_painted_rect().Height();
  }
  const double progress_ms = MsSince(start) / kFrames;
  const double progress_share = 100.0 * painted_pixels / kFrames /
                                (window.GetClientSize().cx * window.GetClientSize().cy);

  // Idle with the 200 ms progress tick, as on the installing page.
  nbase::WeakCallbackFlag owner;
  int ticks = 0;
  std::function<void()> tick;
  tick = [&] {
    ++ticks;
    if (bar) bar->SetValue(ticks % 100);
    loop.PostDelayedTask(owner.ToWeakCallback(nbase::StdClosure(tick)),
                         nbase::TimeDelta::FromMilliseconds(200));
  };
  loop.PostDelayedTask(tick, nbase::TimeDelta::FromMilliseconds(200));
  loop.PostDelayedTask([&] { loop.QuitWhenIdle(); }, nbase::TimeDelta::FromSeconds(idle_seconds));
  const double cpu_before = ThreadCpuMs();
  const uint64_t frames_before = native.frames_drawn();
  loop.Run();
  const double cpu_ms = ThreadCpuMs() - cpu_before;
  const uint64_t idle_frames = native.frames_drawn() - frames_before;

  std::printf("floor (SDL + cairo + pango, one text line): %8.3f ms/frame\n", floor_ms);
  std::printf("main window created to first frame:          %8.3f ms (%.1f x floor)\n",
              first_frame_ms, first_frame_ms / floor_ms);
  std::printf("full repaint of the main window:             %8.3f ms/frame (%.1f x floor)\n",
              full_ms, full_ms / floor_ms);
  std::printf(
      "progress tick (bar and label):               %8.3f ms/frame (%.2f x floor), %.1f %% of "
      "the window drawn\n",
      progress_ms, progress_ms / floor_ms, progress_share);
  std::printf(
      "UI thread CPU over %d s idle, 200 ms tick:   %8.1f ms (%.2f %%), %d ticks, %llu frames\n",
      idle_seconds, cpu_ms, cpu_ms / (idle_seconds * 10.0), ticks,
      static_cast<unsigned long long>(idle_frames));
  bench::PrintMetric("frame_floor_ms", floor_ms);
  bench::PrintMetric("frame_first_in_process_ms", first_frame_ms);
  bench::PrintMetric("frame_full_repaint_ms", full_ms);
  bench::PrintMetric("frame_progress_ms", progress_ms);
  bench::PrintMetric("frame_progress_area_percent", progress_share);
  native.Destroy();
  ui::TextMeasurer::SetInstance(nullptr);
  ui::SdlBackend::Shutdown();
  return 0;
}
