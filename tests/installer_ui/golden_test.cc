// Golden screenshots of what the user sees (golden_scenes.h), rendered
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

#include "tests/installer_ui/golden_comparison.h"
#include "tests/installer_ui/golden_scenes.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/backend_test_support.h"
#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/image_cache.h"
#include "ui/backend/window_screenshot.h"
#include "ui/text/pango_text_measurer.h"

namespace installer_ui {
namespace {

using golden::ArgbImage;

// Pixels may differ by a few levels per channel (anti-aliasing); only a
// small share of pixels may differ more.
constexpr golden::Tolerance kTolerance{16, 0.002};

ArgbImage ToArgb(cairo_surface_t* surface) {
  ArgbImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  image.pixels.reserve(size_t(image.width) * image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.pixels.push_back(ui::testing_support::PixelAt(surface, x, y));
    }
  }
  return image;
}

// Writes an opaque image (a difference image) as PNG.
void WriteOpaquePng(const ArgbImage& image, const std::string& path) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      *reinterpret_cast<uint32_t*>(data + y * stride + x * 4) =
          image.pixels[size_t(y) * image.width + x];
    }
  }
  cairo_surface_mark_dirty(surface);
  ui::WindowScreenshot::WritePng(surface, path);
  cairo_surface_destroy(surface);
}

class GoldenTest : public ui::testing_support::SdlTest,
                   public ::testing::WithParamInterface<golden::Theme> {
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
    cairo_surface_t* stored = cairo_image_surface_create_from_png(golden_path.c_str());
    std::string failure;
    ArgbImage diff;
    if (cairo_surface_status(stored) != CAIRO_STATUS_SUCCESS) {
      failure = "no golden image " + golden_path;
    } else {
      failure = golden::CompareWithGolden(ToArgb(actual), ToArgb(stored), kTolerance, &diff);
    }
    if (!failure.empty()) {
      mkdir("golden_out", 0755);
      ui::WindowScreenshot::WritePng(actual, "golden_out/" + file);
      if (!diff.pixels.empty()) WriteOpaquePng(diff, "golden_out/diff_" + file);
      ADD_FAILURE() << file << ": " << failure << " (actual image in golden_out/)";
    }
    cairo_surface_destroy(stored);
    cairo_surface_destroy(actual);
  }

  ui::PangoTextMeasurer measurer_;
  ui::ImageCache images_;
};

TEST_P(GoldenTest, MainWindowPages) {
  golden::ShowMainWindowPages(
      [this](ui::Window* window, const std::string& name) { Compare(window, name); });
}

TEST_P(GoldenTest, QuestionBoxes) {
  golden::ShowQuestionBoxes(
      [this](ui::Window* window, const std::string& name) { Compare(window, name); });
}

INSTANTIATE_TEST_SUITE_P(Themes, GoldenTest, ::testing::ValuesIn(golden::kThemes),
                         [](const ::testing::TestParamInfo<golden::Theme>& info) {
                           return "Scale" + std::to_string(info.param.percent);
                         });

}  // namespace
}  // namespace installer_ui
