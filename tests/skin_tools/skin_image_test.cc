#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "tools/skin_images/skin_image_catalog.h"
#include "tools/skin_images/skin_image_writer.h"

namespace skin_tools {
namespace {

// An ARGB32 surface read from a staged PNG (or drawn), released at the end.
class Pixels {
 public:
  explicit Pixels(cairo_surface_t* surface) : surface_(surface) {
    if (cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_format(surface_) != CAIRO_FORMAT_ARGB32) {
      // Opaque PNGs load as RGB24: copy into ARGB32 so alpha reads as 255.
      cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width(), height());
      cairo_t* cr = cairo_create(argb);
      cairo_set_source_surface(cr, surface_, 0, 0);
      cairo_paint(cr);
      cairo_destroy(cr);
      cairo_surface_destroy(surface_);
      surface_ = argb;
    }
    cairo_surface_flush(surface_);
  }
  static Pixels Load(const std::string& variant, const std::string& path) {
    const std::string file =
        std::string(VARNIK_SKIN_ROOT) + "/resources/themes/" + variant + "/" + path;
    return Pixels(cairo_image_surface_create_from_png(file.c_str()));
  }
  Pixels(Pixels&& other) : surface_(other.surface_) { other.surface_ = nullptr; }
  ~Pixels() {
    if (surface_) cairo_surface_destroy(surface_);
  }

  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }
  uint32_t At(int x, int y) const {
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    uint32_t pixel;
    std::memcpy(&pixel, data + y * cairo_image_surface_get_stride(surface_) + x * 4, 4);
    return pixel;
  }
  int Alpha(int x, int y) const { return At(x, y) >> 24; }

 private:
  cairo_surface_t* surface_;
};

struct ExpectedSize {
  const char* path;
  int sizes[3][2];  // default, default-hdpi, default-xhdpi
};

// The package's binding image sizes.
const ExpectedSize kExpectedSizes[] = {
    {"basic/bkg_top.png", {{600, 256}, {750, 320}, {900, 384}}},
    {"basic/logo.png", {{80, 80}, {100, 100}, {120, 120}}},
    {"basic/icon_down.png", {{16, 16}, {20, 20}, {24, 24}}},
    {"basic/icon_up.png", {{16, 16}, {20, 20}, {24, 24}}},
    {"public/checkbox/check.png", {{16, 16}, {20, 20}, {24, 24}}},
    {"public/checkbox/check_no.png", {{16, 16}, {20, 20}, {24, 24}}},
    {"public/button/btn_wnd_white_close.png", {{24, 24}, {30, 30}, {36, 36}}},
    {"public/button/btn_wnd_white_close_hovered.png", {{24, 24}, {30, 30}, {36, 36}}},
    {"public/button/btn_wnd_white_close_pushed.png", {{24, 24}, {30, 30}, {36, 36}}},
    {"public/button/btn_wnd_gray_close.png", {{12, 12}, {15, 15}, {18, 18}}},
    {"public/button/btn_wnd_gray_close_hover.png", {{12, 12}, {15, 15}, {18, 18}}},
    {"public/button/btn_global_blue_80x30_normal.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_global_blue_80x30_hovered.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_global_blue_80x30_pushed.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_global_white_80x30_normal.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_global_white_80x30_hovered.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_global_white_80x30_pushed.png", {{80, 30}, {80, 30}, {80, 30}}},
    {"public/button/btn_wnd_white_min.png", {{20, 20}, {20, 20}, {20, 20}}},
    {"public/button/btn_wnd_white_min_hovered.png", {{20, 20}, {20, 20}, {20, 20}}},
    {"public/button/btn_wnd_white_min_pushed.png", {{20, 20}, {20, 20}, {20, 20}}},
    {"msgbox/question.png", {{22, 22}, {22, 22}, {22, 22}}},
    {"msgbox/ok.png", {{22, 22}, {22, 22}, {22, 22}}},
    {"msgbox/infor.png", {{22, 22}, {22, 22}, {22, 22}}},
    {"msgbox/error.png", {{22, 22}, {22, 22}, {22, 22}}},
    {"msgbox/warning.png", {{22, 22}, {22, 22}, {22, 22}}},
    {"public/bk/bk_shadow.png", {{68, 68}, {68, 68}, {68, 68}}},
    {"public/bk/bg_image_mask.png", {{500, 130}, {500, 130}, {500, 130}}},
    {"public/caption/caption_public.png", {{20, 34}, {20, 34}, {20, 34}}},
    {"public/progress/progress_blue_bg.png", {{420, 3}, {420, 3}, {420, 3}}},
    {"public/progress/progress_blue_fg.png", {{420, 3}, {420, 3}, {420, 3}}},
};

const char* const kVariants[] = {"default", "default-hdpi", "default-xhdpi"};

TEST(SkinImageTest, CatalogHoldsExactlyThePackagesImages) {
  std::set<std::string> expected, catalog;
  for (const ExpectedSize& image : kExpectedSizes) expected.insert(image.path);
  for (const SkinImage& image : SkinImageCatalog::Images()) catalog.insert(image.path);
  EXPECT_EQ(catalog, expected);
  EXPECT_EQ(SkinImageCatalog::Images().size(), expected.size()) << "an image listed twice";
}

TEST(SkinImageTest, StagedImagesHaveTheirSizeInEveryVariant) {
  for (const ExpectedSize& image : kExpectedSizes) {
    for (int v = 0; v < 3; ++v) {
      SCOPED_TRACE(std::string(kVariants[v]) + "/" + image.path);
      Pixels pixels = Pixels::Load(kVariants[v], image.path);
      ASSERT_TRUE(pixels.ok());
      EXPECT_EQ(pixels.width(), image.sizes[v][0]);
      EXPECT_EQ(pixels.height(), image.sizes[v][1]);
      // Nothing is blank: every image draws something.
      int visible = 0;
      for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) visible += pixels.Alpha(x, y) > 0;
      }
      EXPECT_GT(visible, 0);
    }
  }
}

TEST(SkinImageTest, DrawingRepeatsExactly) {
  for (const SkinImage& image : SkinImageCatalog::Images()) {
    SCOPED_TRACE(image.path);
    Pixels first(SkinImageWriter::Render(image, 150));
    Pixels second(SkinImageWriter::Render(image, 150));
    ASSERT_TRUE(first.ok() && second.ok());
    bool same = true;
    for (int y = 0; y < first.height() && same; ++y) {
      for (int x = 0; x < first.width() && same; ++x) same = first.At(x, y) == second.At(x, y);
    }
    EXPECT_TRUE(same);
  }
}

// Images that sit on a colour leave their corners transparent, so the colour
// below shows instead of a square.
TEST(SkinImageTest, ImagesOnAColourHaveTransparentCorners) {
  const char* const on_colour[] = {
      "basic/logo.png",
      "basic/icon_down.png",
      "public/checkbox/check.png",
      "public/checkbox/check_no.png",
      "public/button/btn_wnd_white_close.png",
      "public/button/btn_wnd_white_close_hovered.png",
      "public/button/btn_wnd_gray_close.png",
      "public/button/btn_global_blue_80x30_normal.png",
      "public/button/btn_global_white_80x30_pushed.png",
      "public/button/btn_wnd_white_min_pushed.png",
      "msgbox/warning.png",
      "msgbox/ok.png",
  };
  for (const char* path : on_colour) {
    for (const char* variant : kVariants) {
      SCOPED_TRACE(std::string(variant) + "/" + path);
      Pixels pixels = Pixels::Load(variant, path);
      ASSERT_TRUE(pixels.ok());
      const int right = pixels.width() - 1, bottom = pixels.height() - 1;
      EXPECT_LT(pixels.Alpha(0, 0), 48);
      EXPECT_LT(pixels.Alpha(right, 0), 48);
      EXPECT_LT(pixels.Alpha(0, bottom), 48);
      EXPECT_LT(pixels.Alpha(right, bottom), 48);
    }
  }
}

// The nine-grid buttons are stretched between corners of 8 pixels: every
// row must look the same across the stretched middle, or stretching would
// smear whatever is drawn there.
TEST(SkinImageTest, NineGridButtonsAreUniformBetweenTheirCorners) {
  const char* const buttons[] = {"btn_global_blue_80x30_normal",   "btn_global_blue_80x30_hovered",
                                 "btn_global_blue_80x30_pushed",   "btn_global_white_80x30_normal",
                                 "btn_global_white_80x30_hovered", "btn_global_white_80x30_pushed"};
  for (const char* name : buttons) {
    SCOPED_TRACE(name);
    Pixels pixels = Pixels::Load("default", std::string("public/button/") + name + ".png");
    ASSERT_TRUE(pixels.ok());
    for (int y = 0; y < pixels.height(); ++y) {
      for (int x = 8; x < pixels.width() - 8; ++x) {
        ASSERT_EQ(pixels.At(x, y), pixels.At(8, y)) << "at " << x << "," << y;
      }
    }
    // Opaque where the text sits.
    EXPECT_EQ(pixels.Alpha(40, 15), 255);
  }
}

TEST(SkinImageTest, CheckBoxesCoverTheSamePixelsTickedAndEmpty) {
  for (const char* variant : kVariants) {
    SCOPED_TRACE(variant);
    Pixels ticked = Pixels::Load(variant, "public/checkbox/check.png");
    Pixels empty = Pixels::Load(variant, "public/checkbox/check_no.png");
    ASSERT_TRUE(ticked.ok() && empty.ok());
    // The middle of an edge is solid in both, one pixel outside it is clear.
    const int inset = static_cast<int>(std::lround(ticked.width() / 16.0));
    const int middle = ticked.width() / 2;
    for (const Pixels* pixels : {&ticked, &empty}) {
      EXPECT_EQ(pixels->Alpha(inset, middle), 255);
      EXPECT_EQ(pixels->Alpha(middle, inset), 255);
      EXPECT_EQ(pixels->Alpha(inset - 1, middle), 0);
      EXPECT_EQ(pixels->Alpha(ticked.width() - inset, middle), 0);
    }
  }
}

TEST(SkinImageTest, ShadowFadesOutwardAndLeavesTheWindowClear) {
  Pixels shadow = Pixels::Load("default", "public/bk/bk_shadow.png");
  ASSERT_TRUE(shadow.ok());
  // The window's own area (inside the 30-pixel corners) is transparent.
  for (int y = 30; y < 38; ++y) {
    for (int x = 30; x < 38; ++x) EXPECT_EQ(shadow.Alpha(x, y), 0);
  }
  // The outer edge is clear; the shadow deepens towards the window on every side.
  EXPECT_EQ(shadow.Alpha(0, 34), 0);
  EXPECT_EQ(shadow.Alpha(34, 0), 0);
  for (int d = 1; d < 30; ++d) {
    EXPECT_GE(shadow.Alpha(d, 34), shadow.Alpha(d - 1, 34));
    EXPECT_GE(shadow.Alpha(34, d), shadow.Alpha(34, d - 1));
    EXPECT_GE(shadow.Alpha(67 - d, 34), shadow.Alpha(68 - d, 34));
    EXPECT_GE(shadow.Alpha(34, 67 - d), shadow.Alpha(34, 68 - d));
  }
  EXPECT_GT(shadow.Alpha(29, 34), 40);
  EXPECT_LT(shadow.Alpha(29, 34), 160) << "soft, not a hard border";
  // Left and right mirror each other; the bottom is a little deeper than the top.
  for (int x = 0; x < 30; ++x) EXPECT_EQ(shadow.Alpha(x, 34), shadow.Alpha(67 - x, 34));
  EXPECT_GT(shadow.Alpha(34, 38), shadow.Alpha(34, 29));
}

TEST(SkinImageTest, TopBackgroundEndsInAWaveOverTheWindowColour) {
  for (const char* variant : kVariants) {
    SCOPED_TRACE(variant);
    Pixels top = Pixels::Load(variant, "basic/bkg_top.png");
    ASSERT_TRUE(top.ok());
    const int w = top.width(), h = top.height();
    // Opaque blue behind the title text, clear at the very bottom.
    for (int x : {0, w / 2, w - 1}) {
      EXPECT_EQ(top.Alpha(x, h * 3 / 4), 255);
      EXPECT_EQ(top.Alpha(x, h - 1), 0);
      const uint32_t pixel = top.At(x, h / 2);
      EXPECT_GT(pixel & 0xFF, (pixel >> 16) & 0xFF) << "blue, not red";
    }
  }
}

TEST(SkinImageTest, VariantsAreNamedAndScaled) {
  ASSERT_NE(SkinImageCatalog::FindVariant("default-xhdpi"), nullptr);
  EXPECT_EQ(SkinImageCatalog::FindVariant("default-xhdpi")->percent, 150);
  EXPECT_EQ(SkinImageCatalog::FindVariant("default-hdpi")->percent, 125);
  EXPECT_EQ(SkinImageCatalog::FindVariant("default")->percent, 100);
  EXPECT_EQ(SkinImageCatalog::FindVariant("DEFAULT"), nullptr);
  EXPECT_EQ(SkinImageCatalog::FindVariant(""), nullptr);
}

}  // namespace
}  // namespace skin_tools
