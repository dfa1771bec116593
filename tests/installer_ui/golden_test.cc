// Golden screenshots of what the user sees: the real main window after its
// own page switches and the real question box with both installer
// questions, at the three theme variants (100 %, 125 %, 150 %), rendered
// through the on-screen renderer and compared with the images stored in
// tests/installer_ui/golden/ with a small tolerance.
//
// A failed comparison writes the actual image and a difference image into
// "golden_out/" under the test's working directory. VARNIK_UPDATE_GOLDEN=1
// rewrites the stored images instead (look at every one before committing).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "app/installer_config.h"
#include "base/utf.h"
#include "installer_ui/main_window.h"
#include "installer_ui/msg_box.h"
#include "platform/product_identity.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/backend_test_support.h"
#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/window_screenshot.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/text/pango_text_measurer.h"

namespace installer_ui {
namespace {

struct Theme {
  const char16_t* folder;
  int percent;
};
const Theme kThemes[] = {
    {u"themes\\default", 100}, {u"themes\\default-hdpi", 125}, {u"themes\\default-xhdpi", 150}};

// Pixels may differ by a few levels per channel (anti-aliasing); only a
// small share of pixels may differ more.
constexpr int kChannelTolerance = 16;
constexpr double kMaxDifferentShare = 0.002;

class GoldenTest : public ui::testing_support::SdlTest,
                   public ::testing::WithParamInterface<Theme> {
 protected:
  void SetUp() override {
    SdlTest::SetUp();
    varnik_test::ResetUiGlobals();
    ASSERT_TRUE(varnik_test::LoadPackedSkin(VARNIK_SKIN_ZIP, GetParam().folder, GetParam().percent,
                                            &measurer_))
        << VARNIK_SKIN_ZIP;
  }
  void TearDown() override {
    varnik_test::ResetUiGlobals();
    SdlTest::TearDown();
  }

  void Compare(ui::Window* window, const std::string& name) {
    const std::string file = name + "_" + std::to_string(GetParam().percent) + ".png";
    cairo_surface_t* actual = ui::WindowScreenshot::Render(window, &images_);
    ASSERT_NE(actual, nullptr);
    const std::string golden_path = std::string(VARNIK_GOLDEN_DIR) + "/" + file;
    const char* update = std::getenv("VARNIK_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
      EXPECT_TRUE(ui::WindowScreenshot::WritePng(actual, golden_path));
      cairo_surface_destroy(actual);
      return;
    }
    cairo_surface_t* golden = cairo_image_surface_create_from_png(golden_path.c_str());
    std::string failure;
    if (cairo_surface_status(golden) != CAIRO_STATUS_SUCCESS) {
      failure = "no golden image " + golden_path;
    } else {
      failure = Difference(actual, golden, file);
    }
    if (!failure.empty()) {
      mkdir("golden_out", 0755);
      ui::WindowScreenshot::WritePng(actual, "golden_out/" + file);
      ADD_FAILURE() << file << ": " << failure << " (actual image in golden_out/)";
    }
    cairo_surface_destroy(golden);
    cairo_surface_destroy(actual);
  }

  // Empty when the images match within the tolerance; otherwise the reason,
  // with a difference image written (changed pixels red over a faded copy).
  std::string Difference(cairo_surface_t* actual, cairo_surface_t* golden,
                         const std::string& file) {
    const int w = cairo_image_surface_get_width(actual);
    const int h = cairo_image_surface_get_height(actual);
    if (w != cairo_image_surface_get_width(golden) || h != cairo_image_surface_get_height(golden)) {
      return "size differs";
    }
    cairo_surface_t* diff = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    unsigned char* out = cairo_image_surface_get_data(diff);
    const int stride = cairo_image_surface_get_stride(diff);
    long different = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t a = ui::testing_support::PixelAt(actual, x, y);
        const uint32_t g = ui::testing_support::PixelAt(golden, x, y);
        int worst = 0;
        for (int shift = 0; shift < 32; shift += 8) {
          worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((g >> shift) & 0xFF)));
        }
        uint32_t* px = reinterpret_cast<uint32_t*>(out + y * stride + x * 4);
        if (worst > kChannelTolerance) {
          ++different;
          *px = 0xFFFF0000;
        } else {
          const uint32_t grey = 0xC0 + (((g >> 8) & 0xFF) >> 2);
          *px = 0xFF000000 | (grey << 16) | (grey << 8) | grey;
        }
      }
    }
    cairo_surface_mark_dirty(diff);
    std::string reason;
    if (different > kMaxDifferentShare * w * h) {
      mkdir("golden_out", 0755);
      ui::WindowScreenshot::WritePng(diff, "golden_out/diff_" + file);
      reason = std::to_string(different) + " pixels differ";
    }
    cairo_surface_destroy(diff);
    return reason;
  }

  ui::PangoTextMeasurer measurer_;
  ui::ImageCache images_;
};

app::InstallerConfig TestConfig() {
  app::InstallerConfig config;
  config.install_dir = u"/home/user/.local/share/dudIdiruvovo";
  config.download_dir = u"/tmp/";
  config.installer_file = u"/tmp/package.zip";
  config.channel = u"default";
  return config;
}

TEST_P(GoldenTest, MainWindowPages) {
  CMainWindow window(TestConfig(), [](uint32_t) {});
  ASSERT_TRUE(window.LoadSkin()) << nbase::Utf16ToUtf8(window.GetLastLoadError());
  window.Resize(window.GetInitialSize());
  Compare(&window, "main_welcome");

  window.ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
  // What the progress tick shows at 45 %.
  if (auto* bar = dynamic_cast<ui::Progress*>(window.FindControl(u"progress_install"))) {
    bar->SetValue(45);
  }
  if (auto* value = dynamic_cast<ui::Label*>(window.FindControl(u"progress_install_value"))) {
    value->SetText(u"正在下载，请不要关闭：45.0%");
  }
  Compare(&window, "main_installing");

  window.ShowInstalledPage();
  Compare(&window, "main_installed");

  // The failure and retention pages on the road the user takes to them:
  // welcome, installing, failed, then the close button.
  CMainWindow failed(TestConfig(), [](uint32_t) {});
  ASSERT_TRUE(failed.LoadSkin()) << nbase::Utf16ToUtf8(failed.GetLastLoadError());
  failed.Resize(failed.GetInitialSize());
  failed.ShowInstallingPage(CMainWindow::InstallingForm::kInstall);
  failed.ShowFailurePage(u"失败原因：网络连接超时");
  Compare(&failed, "main_failed");

  failed.ShowRetentionPage();
  Compare(&failed, "main_retention");
}

TEST_P(GoldenTest, QuestionBoxes) {
  const struct {
    std::u16string content;
    const char16_t* yes;
    const char16_t* no;
    const char* name;
  } questions[] = {
      {kExitQuestionPattern, kExitQuestionYes, kExitQuestionNo, "msgbox_exit"},
      {u"应用程序 \"%s\" 正在运行，是否强制关闭？", u"重试", u"强制关闭", "msgbox_running"},
  };
  for (const auto& q : questions) {
    SCOPED_TRACE(q.name);
    std::u16string content = q.content;
    content.replace(content.find(u"%s"), 2, platform::kProductDisplayName);
    auto* box = new MsgBox;
    ASSERT_TRUE(box->Create(nullptr));
    box->ShowQuestion(content, kQuestionTitle, q.yes, q.no, nullptr);
    Compare(box, q.name);
    delete box;
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, GoldenTest, ::testing::ValuesIn(kThemes),
                         [](const ::testing::TestParamInfo<Theme>& info) {
                           return "Scale" + std::to_string(info.param.percent);
                         });

}  // namespace
}  // namespace installer_ui
