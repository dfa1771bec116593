// Golden screenshots: the main window's five pages and the message box with
// both installer questions, built from the packed skin at the three theme
// variants and rendered through the on-screen renderer, compared with the
// images stored in tests/ui_backend/golden/ with a small tolerance.
//
// A failed comparison writes the actual image and a difference image into
// "golden_out/" under the test's working directory. VARNIK_UPDATE_GOLDEN=1
// rewrites the stored images instead (look at every one before committing).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf.h"
#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/window_screenshot.h"
#include "ui/core/button.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

constexpr char16_t kProduct[] = u"VarnikPDF转换器";

class SkinWindow : public Window {
 public:
  SkinWindow(std::u16string folder, std::u16string file)
      : folder_(std::move(folder)), file_(std::move(file)) {}
  std::u16string GetSkinFolder() override { return folder_; }
  std::u16string GetSkinFile() override { return file_; }

 private:
  std::u16string folder_;
  std::u16string file_;
};

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

class GoldenScreenshotTest : public ::testing::TestWithParam<Theme> {
 protected:
  void SetUp() override {
    std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(std::move(bytes))) << VARNIK_SKIN_ZIP;
    DpiScale::Set(GetParam().percent, true);
    GlobalManager::Reset();
    ResourceLoader::SetResourceRoot(u"resources\\");
    ResourceLoader::SetThemeFolder(GetParam().folder);
    ResourceLoader::SetLanguageFolder(u"lang\\zh_CN");
    TextMeasurer::SetInstance(&measurer_);
    ASSERT_TRUE(WindowBuilder::LoadGlobalStyle());
  }
  void TearDown() override {
    TextMeasurer::SetInstance(nullptr);
    GlobalManager::Reset();
    ResourceLoader::CloseGlobalPackage();
    DpiScale::Set(100, false);
  }

  void Compare(Window* window, const std::string& name) {
    const std::string file = name + "_" + std::to_string(GetParam().percent) + ".png";
    cairo_surface_t* actual = WindowScreenshot::Render(window, &images_);
    ASSERT_NE(actual, nullptr);
    const std::string golden_path = std::string(VARNIK_GOLDEN_DIR) + "/" + file;
    const char* update = std::getenv("VARNIK_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
      EXPECT_TRUE(WindowScreenshot::WritePng(actual, golden_path));
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
      WindowScreenshot::WritePng(actual, "golden_out/" + file);
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
        const uint32_t a = testing_support::PixelAt(actual, x, y);
        const uint32_t g = testing_support::PixelAt(golden, x, y);
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
      WindowScreenshot::WritePng(diff, "golden_out/diff_" + file);
      reason = std::to_string(different) + " pixels differ";
    }
    cairo_surface_destroy(diff);
    return reason;
  }

  PangoTextMeasurer measurer_;
  ImageCache images_;
};

// Shows one page of the main window and hides the others, as the window's
// own page switch does.
void ShowPage(Window* window, const std::u16string& page) {
  for (const char16_t* name :
       {u"welcompage", u"installpage", u"ExitStartpage", u"installedpage", u"installfaildpage"}) {
    if (Control* c = window->FindControl(name)) c->SetVisible(page == name);
  }
}

void SetLabel(Window* window, const std::u16string& name, const std::u16string& text) {
  if (auto* label = dynamic_cast<Label*>(window->FindControl(name))) label->SetText(text);
}

TEST_P(GoldenScreenshotTest, MainWindowPages) {
  SkinWindow window(u"basic", u"basic.xml");
  ASSERT_TRUE(window.LoadSkin()) << nbase::Utf16ToUtf8(window.GetLastLoadError());
  window.Resize(window.GetInitialSize());
  SetLabel(&window, u"appnameLable_welcom", kProduct);
  SetLabel(&window, u"appnameLable_install", kProduct);
  if (auto* edit = dynamic_cast<RichEdit*>(window.FindControl(u"edit_installdir"))) {
    edit->SetText(u"/home/user/.local/share/dudIdiruvovo");
  }
  if (auto* bar = dynamic_cast<Progress*>(window.FindControl(u"progress_install"))) {
    bar->SetValue(45);
  }
  SetLabel(&window, u"progress_install_value", u"正在安装，请不要关闭：45%");
  SetLabel(&window, u"download_failed_msg", u"失败原因：网络连接超时");

  const struct {
    const char16_t* page;
    const char* name;
  } pages[] = {{u"welcompage", "welcome"},
               {u"installpage", "installing"},
               {u"ExitStartpage", "retention"},
               {u"installedpage", "installed"},
               {u"installfaildpage", "failed"}};
  for (const auto& p : pages) {
    SCOPED_TRACE(p.name);
    ShowPage(&window, p.page);
    Compare(&window, std::string("main_") + p.name);
  }
}

TEST_P(GoldenScreenshotTest, MessageBoxQuestions) {
  const struct {
    const char16_t* content;
    const char16_t* yes;
    const char16_t* no;
    const char* name;
  } questions[] = {
      {u"建议尽快下载完整安装包安装 \"VarnikPDF转换器\" 确定退出吗？", u"已经安装",
       u"下载完整安装包", "msgbox_exit"},
      {u"应用程序 \"VarnikPDF转换器\" 正在运行，是否强制关闭？", u"重试", u"强制关闭",
       "msgbox_running"},
  };
  for (const auto& q : questions) {
    SCOPED_TRACE(q.name);
    SkinWindow box(u"msgbox", u"msgbox.xml");
    ASSERT_TRUE(box.LoadSkin()) << nbase::Utf16ToUtf8(box.GetLastLoadError());
    SetLabel(&box, u"title", u"提示");
    SetLabel(&box, u"btn_yes", q.yes);
    SetLabel(&box, u"btn_no", q.no);
    auto* content = dynamic_cast<RichEdit*>(box.FindControl(u"content"));
    ASSERT_NE(content, nullptr);
    content->SetText(q.content);
    // The box's own fit-to-content step: the content keeps its width and
    // takes the height of its text.
    content->SetFixedHeight(content->GetNaturalHeight(content->GetFixedWidth()), false);
    box.Relayout();
    box.Resize(box.GetInitialSize());
    Compare(&box, q.name);
  }
}

INSTANTIATE_TEST_SUITE_P(Themes, GoldenScreenshotTest, ::testing::ValuesIn(kThemes),
                         [](const ::testing::TestParamInfo<Theme>& info) {
                           return "Scale" + std::to_string(info.param.percent);
                         });

}  // namespace
}  // namespace ui
