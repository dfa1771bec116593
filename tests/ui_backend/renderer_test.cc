#include "ui/backend/renderer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/utf.h"
#include "tests/support/ui_globals.h"
#include "tests/ui_backend/pixel_support.h"
#include "ui/backend/cairo_canvas.h"
#include "ui/backend/window_screenshot.h"
#include "ui/core/box.h"
#include "ui/core/button.h"
#include "ui/core/check_box.h"
#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/label.h"
#include "ui/core/progress.h"
#include "ui/core/rich_edit.h"
#include "ui/core/window.h"
#include "ui/skin/resource_loader.h"
#include "ui/text/pango_text_measurer.h"

namespace ui {
namespace {

using testing_support::AlphaAt;
using testing_support::PixelAt;
using testing_support::TempDir;
using testing_support::WriteTestPng;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kWhite = 0xFFFFFFFF;

// Renders hand-built trees into a white 200 x 100 window whose images are
// PNG files in a temporary folder.
class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    varnik_test::ResetUiGlobals();
    ResourceLoader::SetFileSystemRoot(nbase::Utf8ToUtf16(dir_.path()));
    GlobalManager::AddFont(u"system", 12, false, false);
    GlobalManager::SetDefaultTextColor(0xFF000000);
    TextMeasurer::SetInstance(&measurer_);
    root_ = new Box;
    root_->SetAttribute(u"bkcolor", u"#FFFFFFFF");
    window_.AttachRoot(root_);
    window_.Resize(Size{200, 100});
  }
  void TearDown() override {
    if (surface_) cairo_surface_destroy(surface_);
    varnik_test::ResetUiGlobals();
  }

  std::string File(const std::string& name) { return dir_.path() + "/" + name; }

  // Adds `control` at (x, y) with the given size.
  template <typename T>
  T* Place(T* control, int x, int y, int w, int h) {
    control->SetAttribute(u"width", nbase::Utf8ToUtf16(std::to_string(w)));
    control->SetAttribute(u"height", nbase::Utf8ToUtf16(std::to_string(h)));
    control->SetAttribute(u"margin",
                          nbase::Utf8ToUtf16(std::to_string(x) + "," + std::to_string(y) + ",0,0"));
    root_->Add(control);
    return control;
  }

  cairo_surface_t* Render() {
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = WindowScreenshot::Render(&window_, &images_);
    return surface_;
  }

  TempDir dir_;
  PangoTextMeasurer measurer_;
  ImageCache images_;
  Window window_;
  Box* root_ = nullptr;
  cairo_surface_t* surface_ = nullptr;
};

TEST_F(RendererTest, NineGridKeepsCornersAndStretchesTheMiddle) {
  ASSERT_TRUE(WriteTestPng(File("grid.png"), 30, 30, kBlue, 8, kRed));
  Control* c = Place(new Control, 10, 10, 120, 60);
  c->SetAttribute(u"bkimage", u"file='grid.png' corner='8,8,8,8'");
  Render();
  struct Probe {
    int x, y;
    uint32_t color;
  };
  const Probe probes[] = {
      {10, 10, kRed},  {17, 17, kRed},    {129, 10, kRed},  {122, 69, kRed}, {10, 69, kRed},
      {18, 18, kBlue}, {121, 61, kBlue},  {70, 12, kBlue},  {12, 40, kBlue}, {70, 40, kBlue},
      {9, 9, kWhite},  {130, 40, kWhite}, {70, 70, kWhite},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(PixelAt(surface_, p.x, p.y), p.color) << "at " << p.x << "," << p.y;
  }
}

TEST_F(RendererTest, ImageDescriptionsDestFadeAndSource) {
  ASSERT_TRUE(WriteTestPng(File("red.png"), 12, 12, kRed));
  ASSERT_TRUE(WriteTestPng(File("two.png"), 20, 10, kGreen));
  struct Case {
    const char16_t* description;
    int inside_x, inside_y;
    uint32_t inside;
    int outside_x, outside_y;
  };
  const Case cases[] = {
      // dest: only the given part of the control.
      {u"file='red.png' dest='4,4,16,16'", 4, 4, kRed, 3, 3},
      // a bare file name stretches over the control.
      {u"red.png", 0, 0, kRed, 50, 30},
      // destscale off keeps numbers as they are even at 150 %.
      {u"file='red.png' destscale='false' dest='0,0,10,10'", 9, 9, kRed, 10, 10},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(nbase::Utf16ToUtf8(k.description));
    root_->RemoveAll();
    DpiScale::Set(150, true);
    Control* c = Place(new Control, 0, 0, 40, 20);
    c->SetAttribute(u"bkimage", k.description);
    DpiScale::Set(100, false);
    Render();
    EXPECT_EQ(PixelAt(surface_, k.inside_x, k.inside_y), k.inside);
    EXPECT_EQ(PixelAt(surface_, k.outside_x, k.outside_y), kWhite);
  }

  // The dest rectangle is DPI-scaled when destscale is on.
  root_->RemoveAll();
  DpiScale::Set(150, true);
  Control* scaled = Place(new Control, 0, 0, 40, 20);
  scaled->SetAttribute(u"bkimage", u"file='red.png' dest='0,0,10,10'");
  Render();
  EXPECT_EQ(PixelAt(surface_, 14, 14), kRed);
  EXPECT_EQ(PixelAt(surface_, 15, 15), kWhite);
  DpiScale::Set(100, false);

  // fade 128 over white gives a half-mixed colour.
  root_->RemoveAll();
  Control* faded = Place(new Control, 0, 0, 40, 20);
  faded->SetAttribute(u"bkimage", u"file='red.png' fade='128'");
  Render();
  const uint32_t mixed = PixelAt(surface_, 5, 5);
  EXPECT_EQ((mixed >> 16) & 0xFF, 0xFFu);
  EXPECT_NEAR(static_cast<int>(mixed & 0xFF), 127, 2);
}

TEST_F(RendererTest, MissingOrDamagedImagesDrawNothingAndAreReadOnce) {
  std::ofstream(File("broken.png"), std::ios::binary) << "\x89PNG\r\n\x1a\n garbage";
  std::ofstream(File("text.png"), std::ios::binary) << "not an image at all";
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 20, 20);
  cairo_t* cr = cairo_create(s);
  CairoCanvas canvas(cr, &images_);
  for (const char16_t* path : {u"absent.png", u"broken.png", u"text.png"}) {
    ImageStep step;
    step.path = path;
    step.dest = Rect{0, 0, 20, 20};
    EXPECT_FALSE(canvas.DrawImage(step)) << nbase::Utf16ToUtf8(path);
    EXPECT_FALSE(canvas.DrawImage(step));
  }
  cairo_destroy(cr);
  EXPECT_EQ(AlphaAt(s, 10, 10), 0u);
  cairo_surface_destroy(s);
  // Each file was looked for once; the failures are remembered.
  EXPECT_EQ(images_.loads(), 3u);
}

TEST_F(RendererTest, ImageLookupIgnoresCaseAndPathSpelling) {
  ASSERT_TRUE(WriteTestPng(File("check.png"), 4, 4, kGreen));
  EXPECT_NE(images_.Get(u"check.png"), nullptr);
  EXPECT_EQ(images_.Get(u"./sub/../CHECK.png"), images_.Get(u"check.png"));
  EXPECT_EQ(images_.loads(), 1u);
}

TEST_F(RendererTest, ButtonDrawsTheImageOfItsStateWithNormalAsFallback) {
  ASSERT_TRUE(WriteTestPng(File("normal.png"), 8, 8, kBlue));
  ASSERT_TRUE(WriteTestPng(File("hot.png"), 8, 8, kRed));
  Button* button = Place(new Button, 0, 0, 40, 20);
  button->SetAttribute(u"normalimage", u"normal.png");
  button->SetAttribute(u"hotimage", u"hot.png");
  struct Case {
    ControlState state;
    bool enabled;
    uint32_t expected;
  };
  const Case cases[] = {
      {kStateNormal, true, kBlue},
      {kStateHot, true, kRed},
      {kStatePushed, true, kBlue},  // no pushed image: the normal one
      {kStateHot, false, kBlue},    // disabled wins over hot; no disabled image
  };
  for (const Case& k : cases) {
    button->SetEnabled(k.enabled);
    button->SetState(k.state);
    Render();
    EXPECT_EQ(PixelAt(surface_, 20, 10), k.expected) << "state " << k.state;
  }
}

TEST_F(RendererTest, CheckBoxShowsItsSelectedLooks) {
  ASSERT_TRUE(WriteTestPng(File("no.png"), 16, 16, kBlue));
  ASSERT_TRUE(WriteTestPng(File("yes.png"), 16, 16, kGreen));
  CheckBox* box = Place(new CheckBox, 0, 0, 80, 16);
  box->SetAttribute(u"normalimage", u"file='no.png' dest='0,0,16,16'");
  box->SetAttribute(u"selectednormalimage", u"file='yes.png' dest='0,0,16,16'");
  Render();
  EXPECT_EQ(PixelAt(surface_, 8, 8), kBlue);
  EXPECT_EQ(PixelAt(surface_, 40, 8), kWhite);
  box->Selected(true, false);
  Render();
  EXPECT_EQ(PixelAt(surface_, 8, 8), kGreen);
  box->SetState(kStateHot);  // no selected hot image: still the selected one
  Render();
  EXPECT_EQ(PixelAt(surface_, 8, 8), kGreen);
}

TEST_F(RendererTest, ProgressCoversItsShareOfTheBar) {
  window_.Resize(Size{440, 20});
  ASSERT_TRUE(WriteTestPng(File("fg.png"), 420, 3, kRed));
  Progress* bar = Place(new Progress, 0, 0, 420, 6);
  bar->SetAttribute(u"progressimage", u"fg.png");
  struct Case {
    int32_t value;
    int covered;  // pixels from the left
  };
  const Case cases[] = {{45, 189}, {0, 0}, {100, 420}, {150, 420}, {-5, 0}};
  for (const Case& k : cases) {
    bar->SetValue(k.value);
    Render();
    if (k.covered > 0) {
      EXPECT_EQ(PixelAt(surface_, k.covered - 1, 3), kRed) << k.value;
    }
    if (k.covered < 420) {
      EXPECT_EQ(PixelAt(surface_, k.covered, 3), kWhite) << k.value;
    }
  }
  // A colour fill works the same way, fully opaque.
  bar->SetAttribute(u"progressimage", u"");
  bar->SetAttribute(u"progresscolor", u"#800000FF");
  bar->SetValue(50);
  Render();
  EXPECT_EQ(PixelAt(surface_, 209, 3), kBlue);
  EXPECT_EQ(PixelAt(surface_, 210, 3), kWhite);
}

// Columns of a surface that hold any non-white pixel in a row band.
std::pair<int, int> InkColumns(cairo_surface_t* s, int top, int bottom) {
  int first = -1, last = -1;
  for (int x = 0; x < cairo_image_surface_get_width(s); ++x) {
    for (int y = top; y < bottom; ++y) {
      if (PixelAt(s, x, y) != kWhite) {
        if (first < 0) first = x;
        last = x;
        break;
      }
    }
  }
  return {first, last};
}

TEST_F(RendererTest, LabelTextIsAlignedPaddedAndCutWithEllipsis) {
  Label* label = Place(new Label, 0, 0, 200, 30);
  label->SetText(u"安装");
  label->SetAttribute(u"textpadding", u"20,0,0,0");
  Render();
  auto [left_first, left_last] = InkColumns(surface_, 0, 30);
  EXPECT_GE(left_first, 20);
  EXPECT_LT(left_last, 60);

  label->SetAttribute(u"align", u"center");
  Render();
  auto [c_first, c_last] = InkColumns(surface_, 0, 30);
  // Centred in the padded area 20..200: the middle of the ink is near 110.
  EXPECT_NEAR((c_first + c_last) / 2, 110, 4);

  // A text far wider than a narrow label stays inside it.
  root_->RemoveAll();
  Label* narrow = Place(new Label, 0, 0, 60, 30);
  narrow->SetText(u"这是一段很长很长很长很长很长的说明文字");
  Render();
  auto [n_first, n_last] = InkColumns(surface_, 0, 30);
  EXPECT_GE(n_first, 0);
  EXPECT_LT(n_last, 60);
  EXPECT_GT(n_last, 40);  // the room is used, ending in the ellipsis
}

TEST_F(RendererTest, TextColourFollowsStateAndDisabledLooks) {
  GlobalManager::SetDefaultDisabledTextColor(0xFF00FF00);
  Label* label = Place(new Label, 0, 0, 200, 40);
  label->SetText(u"■■■■");
  label->SetAttribute(u"normaltextcolor", u"#FFFF0000");
  auto dominant = [&]() {
    Render();
    int red = 0, green = 0;
    for (int x = 0; x < 200; ++x) {
      for (int y = 0; y < 40; ++y) {
        const uint32_t p = PixelAt(surface_, x, y);
        if (p == kRed) ++red;
        if (p == kGreen) ++green;
      }
    }
    return std::make_pair(red, green);
  };
  auto [red, green] = dominant();
  EXPECT_GT(red, 20);
  EXPECT_EQ(green, 0);
  label->SetEnabled(false);
  std::tie(red, green) = dominant();
  EXPECT_EQ(red, 0);
  EXPECT_GT(green, 20);
}

TEST_F(RendererTest, OnlyTheDirtyRectangleIsPainted) {
  Renderer renderer(&images_);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 100);
  cairo_t* cr = cairo_create(s);
  renderer.PaintWindow(cr, &window_, Rect{50, 20, 60, 30});
  cairo_destroy(cr);
  EXPECT_EQ(PixelAt(s, 50, 20), kWhite);
  EXPECT_EQ(PixelAt(s, 59, 29), kWhite);
  EXPECT_EQ(AlphaAt(s, 49, 20), 0u);
  EXPECT_EQ(AlphaAt(s, 60, 29), 0u);
  cairo_surface_destroy(s);
}

TEST_F(RendererTest, HiddenAndTranslucentControls) {
  Control* hidden = Place(new Control, 0, 0, 50, 50);
  hidden->SetAttribute(u"bkcolor", u"#FFFF0000");
  hidden->SetVisible(false);
  Control* half = Place(new Control, 100, 0, 50, 50);
  half->SetAttribute(u"bkcolor", u"#FF0000FF");
  half->SetAttribute(u"alpha", u"128");
  Render();
  EXPECT_EQ(PixelAt(surface_, 10, 10), kWhite);
  const uint32_t mixed = PixelAt(surface_, 110, 10);
  EXPECT_EQ(mixed & 0xFF, 0xFFu);
  EXPECT_NEAR(static_cast<int>((mixed >> 16) & 0xFF), 127, 2);
}

TEST_F(RendererTest, ScreenshotWritesAPngOrFailsCleanly) {
  const std::string path = File("shot.png");
  ASSERT_TRUE(RenderWindowToPng(&window_, path));
  cairo_surface_t* back = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(back), 200);
  EXPECT_EQ(cairo_image_surface_get_height(back), 100);
  EXPECT_EQ(PixelAt(back, 100, 50), kWhite);
  cairo_surface_destroy(back);

  EXPECT_FALSE(RenderWindowToPng(&window_, File("no/such/folder/shot.png")));
  Window empty;
  EXPECT_FALSE(RenderWindowToPng(&empty, File("empty.png")));
  EXPECT_FALSE(std::ifstream(File("empty.png")).good());
}

}  // namespace
}  // namespace ui
