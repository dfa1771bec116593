#include "ui/skin/style_sheet.h"

#include <gtest/gtest.h>

#include "ui/markup/markup.h"
#include "ui/skin/font_description.h"
#include "ui/skin/image_description.h"

namespace ui {
namespace {

TEST(StyleSheetTest, ParsesColours) {
  const struct {
    const char16_t* text;
    bool ok;
    uint32_t argb;
  } cases[] = {
      {u"#ff006DD9", true, 0xff006dd9},
      {u"#FFF4F8F9", true, 0xfff4f8f9},
      {u"#80000000", true, 0x80000000},
      {u"#00000000", true, 0},
      {u"#ff006DD", false, 0},
      {u"#ff006DD90", false, 0},
      {u"ff006DD9", false, 0},
      {u"#ff006DG9", false, 0},
      {u"", false, 0},
      {u"# ff006DD", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t argb = 0x12345678;
    EXPECT_EQ(StyleSheet::ParseColor(c.text, &argb), c.ok);
    EXPECT_EQ(argb, c.ok ? c.argb : 0x12345678u);
  }
}

TEST(StyleSheetTest, ParsesNumbersAndRectangles) {
  int value = 7;
  EXPECT_TRUE(StyleSheet::ParseInt(u" -2147483648 ", &value));
  EXPECT_EQ(value, -2147483647 - 1);
  EXPECT_TRUE(StyleSheet::ParseInt(u"+34", &value));
  EXPECT_EQ(value, 34);
  for (const char16_t* bad : {u"", u"-", u"2147483648", u"99999999999999999999", u"1x", u"1 2"}) {
    EXPECT_FALSE(StyleSheet::ParseInt(bad, &value));
  }
  ImageRect rect;
  EXPECT_TRUE(StyleSheet::ParseRect(u"10, 0,5 ,-1", &rect));
  EXPECT_EQ(rect, (ImageRect{10, 0, 5, -1}));
  for (const char16_t* bad : {u"1,2,3", u"1,2,3,4,5", u"1,,3,4", u"a,b,c,d", u""}) {
    EXPECT_FALSE(StyleSheet::ParseRect(bad, &rect));
  }
  EXPECT_EQ(rect, (ImageRect{10, 0, 5, -1}));
}

TEST(StyleSheetTest, ParsesAttributeLists) {
  AttributeList list;
  ASSERT_TRUE(StyleSheet::ParseAttributeList(
      u"font=\"7\"  normalimage = \"file='../a.png' corner='8,8,8,8'\"\tnormalimage=\"\"", &list));
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0], (std::pair<std::u16string, std::u16string>(u"font", u"7")));
  EXPECT_EQ(list[1].second, u"file='../a.png' corner='8,8,8,8'");
  EXPECT_EQ(list[2].second, u"");
  EXPECT_TRUE(StyleSheet::ParseAttributeList(u"  ", &list));
  EXPECT_TRUE(list.empty());
  for (const char16_t* bad : {u"font", u"font=7", u"font=\"7", u"=\"7\"", u"a=\"1\"b"}) {
    EXPECT_FALSE(StyleSheet::ParseAttributeList(bad, &list)) << bad[0];
  }
}

TEST(ImageDescriptionTest, ParsesBareNamesAndPropertyLists) {
  ImageDescription image;
  ASSERT_TRUE(ImageDescription::Parse(u"../public/progress/progress_blue_bg.png", &image));
  EXPECT_EQ(image.file, u"../public/progress/progress_blue_bg.png");
  EXPECT_FALSE(image.has_corner);
  EXPECT_EQ(image.fade, 255);

  ASSERT_TRUE(ImageDescription::Parse(
      u"file='../public/button/btn_global_blue_80x30_normal.png' corner='8,8,8,8' fade='80'",
      &image));
  EXPECT_EQ(image.file, u"../public/button/btn_global_blue_80x30_normal.png");
  EXPECT_TRUE(image.has_corner);
  EXPECT_EQ(image.corner, (ImageRect{8, 8, 8, 8}));
  EXPECT_EQ(image.fade, 80);
  EXPECT_FALSE(image.has_dest);

  ASSERT_TRUE(ImageDescription::Parse(
      u"file='fg.png' destscale='false' dest='0,0,189,3' source='0,0,189,3' xtiled='true'",
      &image));
  EXPECT_FALSE(image.dest_scale);
  EXPECT_EQ(image.dest, (ImageRect{0, 0, 189, 3}));
  EXPECT_TRUE(image.has_source);
  EXPECT_EQ(image.source, (ImageRect{0, 0, 189, 3}));

  const ImageDescription before = image;
  for (const char16_t* bad :
       {u"", u"   ", u"file='a.png", u"file=a.png", u"corner='1,2,3,4'", u"file='a' fade='256'",
        u"file='a' fade='-1'", u"file='a' dest='1,2'", u"file='a' destscale='maybe'", u"file=''"}) {
    EXPECT_FALSE(ImageDescription::Parse(bad, &image));
  }
  EXPECT_EQ(image.file, before.file);
}

TEST(FontDescriptionTest, FollowsSizeWeightAndFaceRules) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(
      u"<Global><Font name=\"system\" size=\"14\" bold=\"true\"/>"
      u"<Font name=\"arial\" size=\"12\" underline=\"true\"/><Font name=\"x\" size=\"0\"/>"
      u"<Font size=\"10\"/><Font name=\"System\" size=\"16\" bold=\"false\"/></Global>"));
  MarkupNode node = markup.GetRoot().GetChild();
  FontDescription font;
  ASSERT_TRUE(FontDescription::FromNode(node, &font));
  EXPECT_EQ(font.Face(), u"WenQuanYi Micro Hei");
  EXPECT_EQ(font.name(), u"system");
  EXPECT_EQ(font.PixelSize(100), 14);
  EXPECT_EQ(font.PixelSize(125), 17);  // 17.5 truncated
  EXPECT_EQ(font.PixelSize(150), 21);
  EXPECT_EQ(font.Weight(), FontDescription::kMaxWeight);
  EXPECT_FALSE(font.underline());

  ASSERT_TRUE(FontDescription::FromNode(node = node.GetSibling(), &font));
  EXPECT_EQ(font.Face(), u"arial");
  EXPECT_EQ(font.Weight(), 400);
  EXPECT_TRUE(font.underline());
  EXPECT_FALSE(FontDescription::FromNode(node = node.GetSibling(), &font));
  EXPECT_FALSE(FontDescription::FromNode(node = node.GetSibling(), &font));
  ASSERT_TRUE(FontDescription::FromNode(node = node.GetSibling(), &font));
  EXPECT_EQ(font.Face(), u"WenQuanYi Micro Hei");
  EXPECT_FALSE(font.bold());
}

TEST(StyleSheetTest, LoadsGlobalElementInOrder) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(
      u"<Global>"
      u"<Font name=\"system\" size=\"10\"/>"
      u"<Font name=\"broken\"/>"
      u"<Font name=\"arial\" size=\"18\" bold=\"true\"/>"
      u"<TextColor name=\"blue\" value=\"#ff006DD9\"/>"
      u"<TextColor name=\"bad\" value=\"blue\"/>"
      u"<Class name=\"caption\" value=\"height=&quot;34&quot; "
      u"bkimage=&quot;file='../public/caption/caption_public.png' corner='0,0,0,1'&quot;\"/>"
      u"<Class name=\"broken\" value=\"height=34\"/>"
      u"</Global>"));
  StyleSheet sheet;
  EXPECT_FALSE(sheet.LoadGlobal(markup.GetRoot()));  // two items were skipped
  EXPECT_EQ(sheet.GetFontCount(), 3);
  EXPECT_EQ(sheet.GetFont(0)->size(), 10);
  EXPECT_EQ(sheet.GetFont(1), nullptr);
  EXPECT_EQ(sheet.GetFont(2)->name(), u"arial");
  EXPECT_EQ(sheet.GetFont(3), nullptr);
  EXPECT_EQ(sheet.GetFont(-1), nullptr);

  uint32_t argb = 0;
  EXPECT_TRUE(sheet.GetColor(u"blue", &argb));
  EXPECT_EQ(argb, 0xff006dd9u);
  EXPECT_TRUE(sheet.GetColor(u"#80000000", &argb));
  EXPECT_EQ(argb, 0x80000000u);
  EXPECT_FALSE(sheet.GetColor(u"bad", &argb));
  EXPECT_FALSE(sheet.GetColor(u"Blue", &argb));

  const AttributeList* caption = sheet.GetClass(u"caption");
  ASSERT_NE(caption, nullptr);
  ASSERT_EQ(caption->size(), 2u);
  EXPECT_EQ((*caption)[1].first, u"bkimage");
  ImageDescription image;
  ASSERT_TRUE(ImageDescription::Parse((*caption)[1].second, &image));
  EXPECT_EQ(image.corner, (ImageRect{0, 0, 0, 1}));
  EXPECT_EQ(sheet.GetClass(u"broken"), nullptr);

  sheet.Clear();
  EXPECT_EQ(sheet.GetFontCount(), 0);
  EXPECT_EQ(sheet.GetClass(u"caption"), nullptr);
}

}  // namespace
}  // namespace ui
