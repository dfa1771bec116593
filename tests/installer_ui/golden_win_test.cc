// Golden screenshots on Windows: the scenes of golden_scenes.h drawn by the
// Win32 backend (the paint list executed on GDI+, text on the Windows UI
// face or its CJK fallback) and compared with the images stored in
// tests/installer_ui/golden/windows/, beside the Linux ones.
//
// The tolerance is wider than the Linux suite's because the glyphs come
// from Wine's font rasteriser (FreeType underneath, with the host's font
// files): on one machine and prefix the images are identical run after
// run, but another Wine or FreeType version places anti-aliased stroke
// edges a level or two differently, and a few pixels by more. Layout,
// images, colours and text positions must still match; a moved, missing or
// recoloured control changes far more pixels than allowed.
//
// A failed comparison writes the actual image and a difference image into
// "golden_out/" under the test's working directory. VARNIK_UPDATE_GOLDEN=1
// rewrites the stored images instead (look at every one before committing).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "base/utf.h"
#include "tests/installer_ui/golden_comparison.h"
#include "tests/installer_ui/golden_scenes.h"
#include "tests/support/ui_globals.h"
#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_text_measurer.h"
#include "ui/backend/win32/win32_backend.h"
#include "ui/backend/win32/win32_window_screenshot.h"

namespace installer_ui {
namespace {

using golden::ArgbImage;

constexpr golden::Tolerance kTolerance{24, 0.004};

// The bitmap's pixels, unpremultiplied; an empty image when they cannot be
// read.
ArgbImage ToArgb(Gdiplus::Bitmap* bitmap) {
  ArgbImage image;
  const Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap->GetWidth()),
                          static_cast<INT>(bitmap->GetHeight()));
  Gdiplus::BitmapData data{};
  if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
      Gdiplus::Ok) {
    return image;
  }
  image.width = all.Width;
  image.height = all.Height;
  image.pixels.reserve(size_t(all.Width) * all.Height);
  for (INT y = 0; y < all.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) +
                                                        ptrdiff_t(y) * data.Stride);
    image.pixels.insert(image.pixels.end(), row, row + all.Width);
  }
  bitmap->UnlockBits(&data);
  return image;
}

std::unique_ptr<Gdiplus::Bitmap> ToBitmap(const ArgbImage& image) {
  auto bitmap =
      std::make_unique<Gdiplus::Bitmap>(image.width, image.height, PixelFormat32bppARGB);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      bitmap->SetPixel(x, y, Gdiplus::Color(image.pixels[size_t(y) * image.width + x]));
    }
  }
  return bitmap;
}

class GoldenWinTest : public ::testing::TestWithParam<golden::Theme> {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(ui::Win32Backend::Initialize()) << ui::Win32Backend::GetLastError();
  }
  void SetUp() override {
    varnik_test::ResetUiGlobals();
    ASSERT_TRUE(varnik_test::LoadPackedSkin(VARNIK_SKIN_ZIP, GetParam().folder, GetParam().percent,
                                            &measurer_))
        << VARNIK_SKIN_ZIP;
  }
  void TearDown() override { varnik_test::ResetUiGlobals(); }

  void Compare(ui::Window* window, const std::string& name) {
    const std::string file = name + "_" + std::to_string(GetParam().percent) + ".png";
    std::unique_ptr<Gdiplus::Bitmap> actual = ui::Win32WindowScreenshot::Render(window, &images_);
    ASSERT_NE(actual, nullptr);
    const std::string golden_path = std::string(VARNIK_GOLDEN_DIR) + "/" + file;
    const char* update = std::getenv("VARNIK_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
      EXPECT_TRUE(ui::Win32WindowScreenshot::WritePng(actual.get(), golden_path));
      return;
    }
    const std::u16string wide_path = nbase::Utf8ToUtf16(golden_path);
    Gdiplus::Bitmap stored(reinterpret_cast<const wchar_t*>(wide_path.c_str()));
    std::string failure;
    ArgbImage diff;
    const ArgbImage golden_image = ToArgb(&stored);
    if (stored.GetLastStatus() != Gdiplus::Ok || golden_image.pixels.empty()) {
      failure = "no golden image " + golden_path;
    } else {
      failure = golden::CompareWithGolden(ToArgb(actual.get()), golden_image, kTolerance, &diff);
    }
    if (!failure.empty()) {
      CreateDirectoryW(L"golden_out", nullptr);
      ui::Win32WindowScreenshot::WritePng(actual.get(), "golden_out/" + file);
      if (!diff.pixels.empty()) {
        ui::Win32WindowScreenshot::WritePng(ToBitmap(diff).get(), "golden_out/diff_" + file);
      }
      ADD_FAILURE() << file << ": " << failure << " (actual image in golden_out/)";
    }
  }

  ui::GdiplusTextMeasurer measurer_;
  ui::GdiplusImageCache images_;
};

TEST_P(GoldenWinTest, MainWindowPages) {
  golden::ShowMainWindowPages(
      [this](ui::Window* window, const std::string& name) { Compare(window, name); });
}

TEST_P(GoldenWinTest, QuestionBoxes) {
  golden::ShowQuestionBoxes(
      [this](ui::Window* window, const std::string& name) { Compare(window, name); });
}

INSTANTIATE_TEST_SUITE_P(Themes, GoldenWinTest, ::testing::ValuesIn(golden::kThemes),
                         [](const ::testing::TestParamInfo<golden::Theme>& info) {
                           return "Scale" + std::to_string(info.param.percent);
                         });

}  // namespace
}  // namespace installer_ui
