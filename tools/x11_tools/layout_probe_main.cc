// varnik_layout_probe: where the main window's controls are, and what colour
// the renderer paints at their centres, on each page the user can reach.
// It runs the installer's own start-up on SDL's headless driver, in a private
// temporary home, at the DPI given by VARNIK_DPI (the same as the window it
// describes), switches the pages as the flow does and prints:
//
//   page <page> <width> <height>
//   control <page> <name> <centre x> <centre y> <RRGGBB at the centre>
//   landmark <page> <x> <y> <RRGGBB>   (a point that tells the page from the rest)
//
// Positions are in window pixels, as `xdotool mousemove --window` takes
// them. It ends with exit code 0 after the last line, 1 when the window does
// not appear within 20 s.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_thread.h"
#include "base/thread_ids.h"
#include "base/thread_registry.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "ui/backend/sdl_backend.h"
#include "ui/backend/window_screenshot.h"
#include "ui/core/control.h"
#include "ui/text/pango_text_measurer.h"

namespace {

using installer_ui::CMainWindow;
using namespace std::chrono_literals;

constexpr auto kDeadline = 20s;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "layout probe: %s\n", what);
  std::fflush(nullptr);
  _exit(1);
}

// Runs `body` on the UI thread and waits for it.
void OnUi(std::function<void()> body) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> future = done->get_future();
  if (!nbase::ThreadRegistry::PostTask(nbase::kThreadUI, [done, body] {
        body();
        done->set_value();
      })) {
    Fail("no UI thread");
  }
  if (future.wait_for(kDeadline) != std::future_status::ready) Fail("UI thread does not answer");
}

// One page's picture as the renderer paints it: 0xRRGGBB per pixel.
struct PagePicture {
  std::string page;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::vector<PagePicture> pictures;

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16}) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

// Prints the page and its controls and keeps its picture; UI thread.
void Describe(CMainWindow* window, const char* page, const std::vector<const char16_t*>& names) {
  window->LayoutIfNeeded();
  cairo_surface_t* image = ui::WindowScreenshot::Render(window);
  if (!image) Fail("the window does not render");
  cairo_surface_flush(image);
  const unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  PagePicture picture;
  picture.page = page;
  picture.width = cairo_image_surface_get_width(image);
  picture.height = cairo_image_surface_get_height(image);
  for (int y = 0; y < picture.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
  }
  cairo_surface_destroy(image);
  std::printf("page %s %d %d\n", page, window->GetClientSize().cx, window->GetClientSize().cy);
  for (const char16_t* name : names) {
    ui::Control* control = window->FindControl(name);
    if (!control) continue;
    const ui::Rect& r = control->GetPos();
    if (r.right <= r.left || r.bottom <= r.top) continue;  // not laid out on this page
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    const uint32_t colour =
        x < picture.width && y < picture.height && x >= 0 && y >= 0 ? picture.At(x, y) : 0;
    std::printf("control %s %s %d %d %06X\n", page, nbase::Utf16ToUtf8(name).c_str(), x, y,
                colour);
  }
  std::fflush(stdout);
  pictures.push_back(std::move(picture));
}

// For each page, one point that tells it from every other page: flat in its
// own picture (so anti-aliasing cannot move it) and far from the colour the
// other pages paint there. Waiting for that colour waits for the page.
void PrintLandmarks() {
  constexpr int kFlat = 3;
  constexpr int kDistinct = 48;
  for (const PagePicture& own : pictures) {
    bool found = false;
    for (int y = 8; y + 8 < own.height && !found; y += 4) {
      for (int x = 8; x + 8 < own.width && !found; x += 4) {
        const uint32_t colour = own.At(x, y);
        bool flat = true;
        for (int dy = -3; dy <= 3 && flat; ++dy) {
          for (int dx = -3; dx <= 3 && flat; ++dx) flat = Near(own.At(x + dx, y + dy), colour, kFlat);
        }
        if (!flat) continue;
        bool distinct = true;
        for (const PagePicture& other : pictures) {
          if (&other == &own) continue;
          if (other.width != own.width || other.height != own.height) continue;
          for (int dy = -3; dy <= 3 && distinct; ++dy) {
            for (int dx = -3; dx <= 3 && distinct; ++dx) {
              distinct = !Near(other.At(x + dx, y + dy), colour, kDistinct);
            }
          }
          if (!distinct) break;
        }
        if (!distinct) continue;
        std::printf("landmark %s %d %d %06X\n", own.page.c_str(), x, y, colour);
        found = true;
      }
    }
  }
  std::fflush(stdout);
}

void Probe() {
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  for (;;) {
    bool shown = false;
    if (nbase::ThreadRegistry::GetLoopProxy(nbase::kThreadUI)) {
      OnUi([&shown] { shown = CMainWindow::Instance() && CMainWindow::Instance()->native_window(); });
    }
    if (shown) break;
    if (std::chrono::steady_clock::now() > deadline) Fail("the main window did not appear");
    std::this_thread::sleep_for(10ms);
  }
  OnUi([] {
    CMainWindow* w = CMainWindow::Instance();
    Describe(w, "welcome",
             {u"btn_startinstall", u"btn_exit", u"checkbox_agreement", u"btn_customize",
              u"appnameLable_welcom"});
    w->ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
    Describe(w, "installing", {u"appnameLable_install", u"progress_install"});
    w->ShowInstalledPage();
    Describe(w, "installed", {u"btn_startapp", u"btn_exit"});
    w->ShowRetentionPage();
    Describe(w, "retention",
             {u"askuserStayMsg", u"checkbox_1", u"checkbox_2", u"checkbox_3", u"checkbox_4",
              u"checkbox_5", u"edit_feedback", u"btn_quitStart", u"btn_continueInstall"});
    w->ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
    w->ShowFailurePage(u"失败原因：probe");
    Describe(w, "failure",
             {u"btn_reinstall", u"btn_redownload", u"download_failed_msg", u"btn_exit"});
    PrintLandmarks();
  });
  std::fflush(nullptr);
  _exit(0);
}

// A private home, so that the probe reads and writes nothing of the user's.
void UsePrivateHome() {
  char pattern[] = "/tmp/varnik-probe-XXXXXX";
  const char* home = mkdtemp(pattern);
  if (!home) Fail("no temporary folder");
  const std::string root = home;
  for (const char* variable :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_DIRS"}) {
    setenv(variable, root.c_str(), 1);
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // Reports go nowhere: port 1 on loopback refuses at once.
  setenv("VARNIK_SERVER_HOST", "127.0.0.1:1", 1);
  // The folder is left for the system's temporary-file cleaning: the
  // process ends with _exit while other threads may still hold files in it.
}

}  // namespace

int main() {
  UsePrivateHome();
  ui::PangoTextMeasurer text_measurer;
  ui::TextMeasurer::SetInstance(&text_measurer);
  if (!ui::SdlBackend::Initialize()) Fail("SDL does not start");
  std::thread(Probe).detach();
  app::MainThread main_thread;
  main_thread.RunAsUiThread();
  return 1;
}
