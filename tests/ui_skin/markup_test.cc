#include "ui/markup/markup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/utf.h"

namespace ui {
namespace {

std::string Narrow(std::u16string_view text) { return nbase::Utf16ToUtf8(text); }

// A private temporary folder removed at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "markup_test_XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct ErrorCase {
  const char* name;
  const char16_t* xml;
  const char* message;
  const char* location;  // start of the location text
};

class MarkupErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MarkupErrorTest, FailsWithTextAndPlace) {
  const ErrorCase& c = GetParam();
  Markup markup;
  EXPECT_FALSE(markup.LoadFromString(c.xml));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), c.message);
  EXPECT_EQ(Narrow(markup.GetLastErrorLocation()).rfind(c.location, 0), 0u)
      << Narrow(markup.GetLastErrorLocation());
  EXPECT_FALSE(markup.IsValid());
  EXPECT_FALSE(markup.GetRoot().IsValid());
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, MarkupErrorTest,
    ::testing::Values(
        ErrorCase{"TextBeforeFirstTag", u"hello<a/>", "Expected start tag", "hello"},
        ErrorCase{"SingleQuotes", u"<a b='1'/>", "Expected attribute value", "'1'"},
        ErrorCase{"MissingEquals", u"<a b \"1\"/>", "Error while parsing attributes", "\"1\""},
        ErrorCase{"BadAttributeChar", u"<a @=\"1\"/>", "Error while parsing attributes", "@"},
        ErrorCase{"UnterminatedValue", u"<a b=\"1/>", "Error while parsing attribute string",
                  "1/>"},
        ErrorCase{"NameRunsToEnd", u"<abc", "Error parsing element name", "abc"},
        ErrorCase{"SlashWithoutGt", u"<a/ >", "Expected start-tag closing", "/ >"},
        ErrorCase{"BoxClosedByVBox", u"<Window><Box></VBox></Window>", "Unmatched closing tag",
                  "VBox"},
        ErrorCase{"EndTagMissingGt", u"<W><a></a x></W>", "Unmatched closing tag", "x>"},
        ErrorCase{"StrayEndTagAtTop", u"<a/></b>", "Unmatched closing tag", "</b>"},
        // Two levels below the first element: the text may not end the buffer,
        // nor may the list after a closed child.
        ErrorCase{"DeepTextToEnd", u"<a><b><c>text", "Expected end-tag start", ""},
        ErrorCase{"DeepListToEnd", u"<a><b><c></c>", "Expected start tag", ""},
        ErrorCase{"AttributesToEnd", u"<a b=\"1\"", "Error while parsing attributes", ""}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(MarkupTest, WalksElementsAndAttributes) {
  Markup markup;
  ASSERT_TRUE(
      markup.LoadFromString(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            u"<Window size=\"600,400\" caption = \"0,0,0,34\">\n"
                            u"  <VBox name=\"client\"><Label text=\"立即安装\" font=\"2\"/>"
                            u"<Button name=\"btn\">Go</Button></VBox>\n"
                            u"</Window>"))
      << Narrow(markup.GetLastErrorMessage());
  MarkupNode root = markup.GetRoot();
  ASSERT_TRUE(root.IsValid());
  EXPECT_EQ(root.GetName(), u"Window");
  EXPECT_FALSE(root.HasSiblings());
  EXPECT_FALSE(root.GetParent().IsValid());
  ASSERT_EQ(root.GetAttributeCount(), 2);
  EXPECT_EQ(root.GetAttributeName(1), u"caption");
  EXPECT_EQ(root.GetAttributeValue(u"caption"), u"0,0,0,34");
  EXPECT_EQ(root.GetAttributeValue(0), u"600,400");

  MarkupNode box = root.GetChild();
  EXPECT_EQ(box.GetName(), u"VBox");
  EXPECT_EQ(box.GetParent().GetName(), u"Window");
  MarkupNode label = box.GetChild();
  EXPECT_EQ(label.GetName(), u"Label");
  EXPECT_EQ(label.GetAttributeValue(u"text"), u"立即安装");
  EXPECT_EQ(label.GetValue(), u"");
  MarkupNode button = label.GetSibling();
  EXPECT_EQ(button.GetName(), u"Button");
  EXPECT_EQ(button.GetValue(), u"Go");
  EXPECT_EQ(button.GetAttributeValue(u"name"), u"btn");
  EXPECT_FALSE(button.GetSibling().IsValid());
  EXPECT_EQ(box.GetChild(u"Button").GetValue(), u"Go");
  EXPECT_FALSE(box.GetChild(u"Progress").IsValid());
}

TEST(MarkupTest, LookupIsWholeNameAndCaseSensitive) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a name=\"x\" namespace=\"y\" Text=\"z\"/>"));
  MarkupNode node = markup.GetRoot();
  std::u16string value;
  EXPECT_FALSE(node.GetAttributeValue(u"nam", &value));
  EXPECT_FALSE(node.HasAttribute(u"text"));
  EXPECT_TRUE(node.GetAttributeValue(u"namespace", &value));
  EXPECT_EQ(value, u"y");
  EXPECT_EQ(node.GetAttributeValue(u"missing"), u"");
  EXPECT_EQ(node.GetAttributeName(3), u"");
  EXPECT_EQ(node.GetAttributeName(-1), u"");
}

TEST(MarkupTest, DecodesEntitiesInValuesAndTexts) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(
      u"<Class name=\"c\" value=\"font=&quot;2&quot; a=&amp;b &lt;&gt;&apos; &x; &amp\">"
      u"T&amp;&lt;U</Class>"));
  MarkupNode node = markup.GetRoot();
  EXPECT_EQ(node.GetAttributeValue(u"value"), u"font=\"2\" a=&b <>' &x; &amp");
  EXPECT_EQ(node.GetValue(), u"T&<U");
  // A later attribute after a shortened value is still found.
  EXPECT_EQ(node.GetAttributeValue(u"name"), u"c");
  EXPECT_EQ(node.GetAttributeCount(), 2);
}

// Values and texts are searched for their end and for entities eight units
// at a time: both must be found wherever they fall.
TEST(MarkupTest, EntitiesAndEndsAreFoundAtEveryPlace) {
  for (size_t before = 0; before <= 20; ++before) {
    for (size_t after = 0; after <= 10; ++after) {
      const std::u16string a(before, u'a');
      const std::u16string b(after, u'b');
      Markup markup;
      ASSERT_TRUE(markup.LoadFromString(u"<e v=\"" + a + u"&quot;" + b + u"\" w=\"" + a +
                                        u"\">" + b + u"&lt;" + a + u"</e>"));
      const MarkupNode e = markup.GetRoot();
      EXPECT_EQ(e.GetAttributeValue(u"v"), a + u"\"" + b) << before << " " << after;
      EXPECT_EQ(e.GetAttributeValue(u"w"), a);
      EXPECT_EQ(e.GetValue(), b + u"<" + a);
    }
  }
}

TEST(MarkupTest, EntityShortenedValuesKeepLaterAttributes) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a x=\"&quot;&quot;&quot;\" y=\"2\"/>"));
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"x"), u"\"\"\"");
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"y"), u"2");
}

TEST(MarkupTest, SkipsCommentsAndDeclarations) {
  Markup markup;
  ASSERT_TRUE(
      markup.LoadFromString(u"<!DOCTYPE x -><Global><Font size=\"10\"/><!-- <Font size=\"11\"/> -->"
                            u"<?pi?><TextColor name=\"white\"/></Global>"));
  MarkupNode font = markup.GetRoot().GetChild();
  EXPECT_EQ(font.GetName(), u"Font");
  EXPECT_EQ(font.GetSibling().GetName(), u"TextColor");
  EXPECT_FALSE(font.GetSibling().GetSibling().IsValid());
}

TEST(MarkupTest, EmptyAndWhitespaceDocumentsHaveNoElements) {
  for (const char16_t* text : {u"", u"  \r\n\t", u"<!-- only a comment -->", u"<!-- runs on"}) {
    Markup markup;
    EXPECT_TRUE(markup.LoadFromString(text));
    EXPECT_FALSE(markup.GetRoot().IsValid());
  }
}

TEST(MarkupTest, FirstElementMayStayOpen) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a><b x=\"1\"></b><c>tail text"));
  MarkupNode b = markup.GetRoot().GetChild();
  EXPECT_EQ(b.GetAttributeValue(u"x"), u"1");
  EXPECT_EQ(b.GetSibling().GetValue(), u"tail text");
  EXPECT_TRUE(markup.LoadFromString(u"<a>text only"));
  EXPECT_EQ(markup.GetRoot().GetValue(), u"text only");
}

TEST(MarkupTest, SeveralTopLevelElementsAreSiblings) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a/><b></b> <c/>"));
  EXPECT_EQ(markup.GetRoot().GetSibling().GetSibling().GetName(), u"c");
}

TEST(MarkupTest, OnlyFirst64AttributesCount) {
  std::u16string xml = u"<a";
  for (int i = 0; i < 65; ++i) {
    xml += u" k" + nbase::Utf8ToUtf16(std::to_string(i)) + u"=\"v\"";
  }
  xml += u"/>";
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(xml));
  MarkupNode node = markup.GetRoot();
  EXPECT_EQ(node.GetAttributeCount(), 64);
  EXPECT_TRUE(node.HasAttribute(u"k63"));
  EXPECT_FALSE(node.HasAttribute(u"k64"));
}

TEST(MarkupTest, ValueCopiesStopAt499Characters) {
  const std::u16string long_value(600, u'x');
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a v=\"" + long_value + u"\" w=\"1\"/>"));
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"v").size(), 499u);
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"w"), u"1");
}

TEST(MarkupTest, NestingIsBounded) {
  auto nested = [](int depth) {
    std::u16string xml;
    for (int i = 0; i < depth; ++i) xml += u"<a>";
    for (int i = 0; i < depth; ++i) xml += u"</a>";
    return xml;
  };
  Markup markup;
  EXPECT_TRUE(markup.LoadFromString(nested(Markup::kMaxDepth)));
  EXPECT_FALSE(markup.LoadFromString(nested(Markup::kMaxDepth + 1)));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Elements nested too deeply");
  // A hostile file far deeper than the stack would allow fails the same way.
  std::u16string deep;
  for (int i = 0; i < 200000; ++i) deep += u"<a>";
  EXPECT_FALSE(markup.LoadFromString(deep));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Elements nested too deeply");
}

TEST(MarkupTest, ManyElementsGrowTheTable) {
  std::u16string xml = u"<r>";
  for (int i = 0; i < 5000; ++i)
    xml += u"<e i=\"" + nbase::Utf8ToUtf16(std::to_string(i)) + u"\"/>";
  xml += u"</r>";
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(xml));
  int count = 0;
  MarkupNode last;
  for (MarkupNode e = markup.GetRoot().GetChild(); e.IsValid(); e = e.GetSibling()) {
    ++count;
    last = e;
  }
  EXPECT_EQ(count, 5000);
  EXPECT_EQ(last.GetAttributeValue(u"i"), u"4999");
}

TEST(MarkupTest, WhitespaceCollapsesOnlyWhenAsked) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a>x \r\n\t y</a>"));
  EXPECT_EQ(markup.GetRoot().GetValue(), u"x \r\n\t y");
  markup.SetPreserveWhitespace(false);
  ASSERT_TRUE(markup.LoadFromString(u"<a>x \r\n\t y<b/></a>"));
  EXPECT_EQ(markup.GetRoot().GetValue(), u"x y");
  EXPECT_EQ(markup.GetRoot().GetChild().GetName(), u"b");
}

TEST(MarkupTest, EmbeddedNulEndsTheText) {
  Markup markup;
  const std::u16string text(u"<a/>\0garbage<", 13);
  EXPECT_TRUE(markup.LoadFromString(text));
  EXPECT_EQ(markup.GetRoot().GetName(), u"a");
}

TEST(MarkupTest, EndTagAllowsWhitespace) {
  Markup markup;
  ASSERT_TRUE(markup.LoadFromString(u"<a><b></ b ></a >"));
  EXPECT_EQ(markup.GetRoot().GetChild().GetName(), u"b");
}

TEST(MarkupTest, ErrorLocationIsBounded) {
  Markup markup;
  EXPECT_FALSE(markup.LoadFromString(u"<a><b><c>" + std::u16string(200, u'x')));
  EXPECT_EQ(markup.GetLastErrorLocation().size(), 0u);
  EXPECT_FALSE(markup.LoadFromString(u"<a b='" + std::u16string(200, u'x') + u"'/>"));
  EXPECT_EQ(markup.GetLastErrorLocation().size(), Markup::kMaxErrorLocation);
}

TEST(MarkupTest, ReloadForgetsEarlierError) {
  Markup markup;
  EXPECT_FALSE(markup.LoadFromString(u"<a b='1'/>"));
  EXPECT_TRUE(markup.LoadFromString(u"<a/>"));
  EXPECT_TRUE(markup.GetLastErrorMessage().empty());
}

TEST(MarkupFileTest, SizeBoundsAndByteOrderMark) {
  TempFolder folder;
  const std::string pad = "<a/>";
  std::string exact = pad + std::string(Markup::kMaxFileBytes - pad.size(), ' ');
  struct Case {
    const char* name;
    std::string bytes;
    bool ok;
    const char* message;
  } cases[] = {
      {"empty.xml", "", false, "File is empty"},
      {"exact.xml", exact, true, ""},
      {"over.xml", exact + " ", false, "File too large"},
      {"bom_only.xml", "\xEF\xBB\xBF", true, ""},
      {"bom.xml", "\xEF\xBB\xBF<a x=\"1\"/>", true, ""},
      {"two_bytes.xml", "\xEF\xBB", false, "File is not valid UTF-8"},
      {"bad_utf8.xml", "<a x=\"\xFF\"/>", false, "File is not valid UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.Write(c.name, c.bytes);
    Markup markup;
    EXPECT_EQ(markup.LoadFromFile(nbase::Utf8ToUtf16(path)), c.ok);
    EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), c.message);
    EXPECT_TRUE(markup.GetLastErrorLocation().empty());
  }
  Markup markup;
  ASSERT_TRUE(markup.LoadFromFile(nbase::Utf8ToUtf16(folder.path() + "/bom.xml")));
  EXPECT_EQ(markup.GetRoot().GetName(), u"a");
}

TEST(MarkupFileTest, MissingFilesAndFoldersCannotOpen) {
  TempFolder folder;
  Markup markup;
  EXPECT_FALSE(markup.LoadFromFile(nbase::Utf8ToUtf16(folder.path() + "/none.xml")));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Error opening file");
  EXPECT_FALSE(markup.LoadFromFile(nbase::Utf8ToUtf16(folder.path())));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Error opening file");
}

TEST(MarkupFileTest, RelativePathsStartAtResourceFolder) {
  TempFolder folder;
  std::filesystem::create_directories(folder.path() + "/sub dir");
  folder.Write("sub dir/界面.xml", "<Window/>");
  const std::u16string saved = Markup::GetResourceFolder();
  Markup::SetResourceFolder(nbase::Utf8ToUtf16(folder.path()));
  Markup markup;
  EXPECT_TRUE(markup.LoadFromFile(u"sub dir/界面.xml"));
  EXPECT_TRUE(markup.LoadFromFile(nbase::Utf8ToUtf16(folder.path() + "/sub dir/界面.xml")));
  Markup::SetResourceFolder(saved);
}

}  // namespace
}  // namespace ui
