// Text measurement with real fonts (WenQuanYi Micro Hei as "system").
#include "ui/text/pango_text_measurer.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

FontSpec Font(int32_t px, bool bold = false) { return FontSpec{u"system", px, bold, false, false}; }

TEST(PangoTextMeasurerTest, SizesGrowWithTextAndFont) {
  PangoTextMeasurer m;
  const Size small = m.Measure(Font(12), u"立即安装", 0, true);
  const Size large = m.Measure(Font(24), u"立即安装", 0, true);
  const Size longer = m.Measure(Font(12), u"立即安装立即安装", 0, true);
  // Four CJK glyphs of a 12-pixel face are about 48 pixels wide.
  EXPECT_GE(small.cx, 44);
  EXPECT_LE(small.cx, 52);
  EXPECT_GE(small.cy, 12);
  EXPECT_LE(small.cy, 24);
  EXPECT_GT(large.cx, small.cx * 3 / 2);
  EXPECT_GT(large.cy, small.cy);
  EXPECT_EQ(longer.cy, small.cy);
  EXPECT_GE(longer.cx, small.cx * 2 - 1);
}

TEST(PangoTextMeasurerTest, WrappingAndLines) {
  PangoTextMeasurer m;
  const std::u16string text = u"建议尽快下载完整安装包安装 \"VarnikPDF转换器\" 确定退出吗？";
  const Size one_line = m.Measure(Font(14), text, 0, true);
  const Size wrapped = m.Measure(Font(14), text, 120, false);
  EXPECT_GT(one_line.cx, 120);
  EXPECT_LE(wrapped.cx, 120);
  EXPECT_GE(wrapped.cy, one_line.cy * 3);
  // A single-line measure ignores the width limit.
  EXPECT_EQ(m.Measure(Font(14), text, 120, true), one_line);
  // An empty text is one line high and nothing wide.
  const Size empty = m.Measure(Font(14), u"", 0, true);
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, one_line.cy);
  // Explicit line breaks count when the text may have several lines.
  EXPECT_GE(m.Measure(Font(14), u"a\nb", 0, false).cy, one_line.cy * 2);
}

TEST(PangoTextMeasurerTest, FacesAndCaching) {
  EXPECT_EQ(PangoTextMeasurer::ResolveFace(u"system"), "WenQuanYi Micro Hei");
  EXPECT_EQ(PangoTextMeasurer::ResolveFace(u"arial"), "arial");
  PangoTextMeasurer m;
  const Size regular = m.Measure(Font(16), u"Install now", 0, true);
  const Size bold = m.Measure(Font(16, true), u"Install now", 0, true);
  EXPECT_GE(bold.cx, regular.cx);
  EXPECT_EQ(m.Measure(Font(16), u"Install now", 0, true), regular);
  // An unknown face falls back to some installed face, never to nothing.
  EXPECT_GT(m.Measure(FontSpec{u"no such face", 16, false, false, false}, u"abc", 0, true).cx, 0);
}

}  // namespace
}  // namespace ui
