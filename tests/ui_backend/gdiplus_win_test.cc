// The GDI+ side of the Win32 backend without a window: faces, text
// measurement and caret geometry on the real fonts, and skin images decoded
// from the real skin package.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "ui/backend/win32/gdiplus_canvas.h"
#include "ui/backend/win32/gdiplus_fonts.h"
#include "ui/backend/win32/gdiplus_image_cache.h"
#include "ui/backend/win32/gdiplus_text_measurer.h"
#include "ui/backend/win32/win32_backend.h"
#include "ui/paint/text_style.h"
#include "ui/skin/resource_loader.h"

namespace ui {
namespace {

class GdiplusTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(Win32Backend::Initialize()); }
  FontSpec Font(int32_t size, bool bold = false) {
    FontSpec font;
    font.face = u"system";
    font.size_px = size;
    font.bold = bold;
    return font;
  }
  GdiplusTextMeasurer measurer_;
};

TEST_F(GdiplusTest, SystemFaceIsAnInstalledChineseFaceAndUnknownFacesFallBackToIt) {
  const std::u16string face = GdiplusFonts::ResolveFace(u"system");
  EXPECT_TRUE(face == u"Microsoft YaHei" || face == u"WenQuanYi Micro Hei");
  EXPECT_EQ(GdiplusFonts::ResolveFace(u""), face);
  EXPECT_EQ(GdiplusFonts::ResolveFace(u"No Such Face 7"), face);
  // The same font asked for twice is one font object.
  EXPECT_EQ(GdiplusFonts::Get(Font(14)), GdiplusFonts::Get(Font(14)));
  EXPECT_NE(GdiplusFonts::Get(Font(14)), GdiplusFonts::Get(Font(14, true)));
}

TEST_F(GdiplusTest, MeasureGrowsWithTextAndSizeAndWrapsOnlyMultiLineText) {
  const Size empty = measurer_.Measure(Font(14), u"", 0, true);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_GT(empty.cy, 0);
  const Size two = measurer_.Measure(Font(14), u"立即", 0, true);
  const Size four = measurer_.Measure(Font(14), u"立即安装", 0, true);
  // Chinese characters are about one em wide each: glyphs were found.
  EXPECT_NEAR(four.cx, 4 * 14, 6);
  EXPECT_NEAR(four.cx, 2 * two.cx, 2);
  EXPECT_GT(measurer_.Measure(Font(25), u"立即安装", 0, true).cx, four.cx);
  EXPECT_GT(measurer_.Measure(Font(14, true), u"Install now", 0, true).cx,
            measurer_.Measure(Font(14), u"Install now", 0, true).cx);
  // Trailing blanks count: an edit field's caret moves with them.
  EXPECT_GT(measurer_.Measure(Font(14), u"ab  ", 0, true).cx,
            measurer_.Measure(Font(14), u"ab", 0, true).cx);

  const std::u16string long_text = u"以前曾经安装过，不能满足要求，下载错了，糊里糊涂下载了软件";
  const Size one_line = measurer_.Measure(Font(14), long_text, 100, true);
  const Size wrapped = measurer_.Measure(Font(14), long_text, 100, false);
  EXPECT_EQ(one_line.cy, empty.cy);
  EXPECT_GT(one_line.cx, 100);
  EXPECT_LE(wrapped.cx, 100);
  EXPECT_GE(wrapped.cy, 3 * empty.cy);
}

TEST_F(GdiplusTest, CaretPositionsFollowTheTextAndHitTestFindsThemAgain) {
  const struct {
    std::u16string text;
    int32_t width;
    bool single_line;
  } cases[] = {
      {u"VarnikPDF转换器", 0, true},
      {u"第一行\n第二行", 300, false},
      {u"恳请给个机会，体验软件功能，恳请给个机会", 80, false},
      {u"a\U0001F600b", 0, true},  // a surrogate pair is one caret step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    Rect previous{-1, -1, 0, 0};
    for (size_t i = 0; i <= c.text.size(); ++i) {
      if (i > 0 && i < c.text.size() && c.text[i] >= 0xDC00 && c.text[i] <= 0xDFFF) continue;
      const Rect caret = measurer_.CaretRect(Font(14), c.text, c.width, c.single_line, i);
      EXPECT_GT(caret.Height(), 0);
      // Along the text the caret moves right, or down to a new line.
      EXPECT_TRUE(caret.top > previous.top ||
                  (caret.top == previous.top && caret.left > previous.left))
          << "index " << i << " at " << caret << " after " << previous;
      EXPECT_EQ(measurer_.HitTest(Font(14), c.text, c.width, c.single_line,
                                  Point{caret.left, caret.top + caret.Height() / 2}),
                i);
      previous = caret;
    }
  }
  // After a line break the caret starts the next line.
  const Rect second = measurer_.CaretRect(Font(14), u"第一行\n第二行", 300, false, 4);
  EXPECT_EQ(second.left, 0);
  EXPECT_GT(second.top, 0);
}

// Pixels of `bitmap` inside `rect` that are not fully transparent.
int PaintedPixels(Gdiplus::Bitmap* bitmap, const Rect& rect) {
  int painted = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      Gdiplus::Color color;
      bitmap->GetPixel(x, y, &color);
      if (color.GetA() > 0) ++painted;
    }
  }
  return painted;
}

TEST_F(GdiplusTest, TextStepsDrawInsideTheirRectangleEvenWhenALineIsTallerThanIt) {
  GdiplusImageCache images;
  const struct {
    uint32_t style;
    int32_t height;  // of the rectangle; a 21-pixel line is taller than 18
  } cases[] = {
      {kTextSingleLine | kTextVCenter, 40},
      {kTextSingleLine | kTextVCenter, 18},
      {kTextLeft, 18},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    Gdiplus::Bitmap bitmap(200, 60, PixelFormat32bppPARGB);
    const Rect rect{10, 10, 190, 10 + c.height};
    {
      GdiplusCanvas canvas(&bitmap, &images);
      canvas.Clear(0);
      TextStep step;
      step.rect = rect;
      step.text = u"以前曾经安装过";
      step.font = Font(21);
      step.argb = 0xFF333333;
      step.style = c.style;
      canvas.DrawText(step);
    }
    EXPECT_GT(PaintedPixels(&bitmap, rect), 20);
    // Nothing spills out of the rectangle.
    EXPECT_EQ(PaintedPixels(&bitmap, Rect{0, 0, 200, 60}), PaintedPixels(&bitmap, rect));
  }
}

// The longest run of painted pixels along one row of `bitmap`.
int LongestPaintedRow(Gdiplus::Bitmap* bitmap) {
  int longest = 0;
  for (UINT y = 0; y < bitmap->GetHeight(); ++y) {
    int run = 0;
    for (UINT x = 0; x < bitmap->GetWidth(); ++x) {
      Gdiplus::Color color;
      bitmap->GetPixel(static_cast<INT>(x), static_cast<INT>(y), &color);
      run = color.GetA() > 0 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
  }
  return longest;
}

TEST_F(GdiplusTest, AnUnderlinedTextStepHasALineUnderTheWholeText) {
  GdiplusImageCache images;
  for (bool underline : {false, true}) {
    SCOPED_TRACE(underline);
    Gdiplus::Bitmap bitmap(200, 60, PixelFormat32bppPARGB);
    {
      GdiplusCanvas canvas(&bitmap, &images);
      canvas.Clear(0);
      TextStep step;
      step.rect = Rect{10, 10, 190, 50};
      step.text = u"重新安装";  // about 56 pixels wide; no stroke runs half of that
      step.font = Font(14);
      step.font.underline = underline;
      step.argb = 0xFF333333;
      step.style = kTextCenter | kTextVCenter | kTextSingleLine;
      canvas.DrawText(step);
    }
    if (underline) {
      EXPECT_GE(LongestPaintedRow(&bitmap), 50);
    } else {
      EXPECT_LT(LongestPaintedRow(&bitmap), 40);
    }
  }
}

class GdiplusImageTest : public GdiplusTest {
 protected:
  static void SetUpTestSuite() {
    GdiplusTest::SetUpTestSuite();
    std::ifstream in(VARNIK_SKIN_ZIP, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(std::move(bytes)));
  }
  static void TearDownTestSuite() { ResourceLoader::CloseGlobalPackage(); }
};

TEST_F(GdiplusImageTest, SkinImagesDecodePremultipliedOnceAndAbsentOnesStayAbsent) {
  GdiplusImageCache cache;
  const std::u16string shadow = u"resources/themes/default/public/bk/bk_shadow.png";
  Gdiplus::Bitmap* image = cache.Get(shadow);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetWidth(), 68u);
  EXPECT_EQ(image->GetHeight(), 68u);
  EXPECT_EQ(image->GetPixelFormat(), PixelFormat32bppPARGB);
  // The shadow leaves the window's own area transparent and is soft outside.
  Gdiplus::Color inside;
  Gdiplus::Color edge;
  image->GetPixel(34, 34, &inside);
  image->GetPixel(20, 34, &edge);
  EXPECT_EQ(inside.GetA(), 0);
  EXPECT_GT(edge.GetA(), 0);
  EXPECT_LT(edge.GetA(), 255);
  // Another spelling of the same entry is the same bitmap, read once.
  EXPECT_EQ(cache.Get(u"resources\\themes\\DEFAULT\\public/x/../bk/bk_shadow.png"), image);
  EXPECT_EQ(cache.loads(), 1u);

  EXPECT_EQ(cache.Get(u"resources/themes/default/public/bk/none.png"), nullptr);
  EXPECT_EQ(cache.Get(u"resources/themes/default/public/bk/none.png"), nullptr);
  EXPECT_EQ(cache.loads(), 2u);
}

TEST(GdiplusImageDecodeTest, BytesThatAreNoPngOfAnAcceptedSizeAreRefused) {
  ASSERT_TRUE(Win32Backend::Initialize());
  std::string huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x40\x01\0\0\0\x10", 24);
  huge.resize(64, '\0');
  for (const std::string& bytes : {std::string(), std::string("GIF89a........................"),
                                   huge, std::string("\x89PNG\r\n\x1a\n", 8)}) {
    EXPECT_EQ(GdiplusImageCache::DecodePng(bytes), nullptr);
  }
}

}  // namespace
}  // namespace ui
