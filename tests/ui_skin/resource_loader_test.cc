#include "ui/skin/resource_loader.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "base/utf.h"
#include "tests/ui_skin/test_zip_builder.h"
#include "ui/skin/lang_strings.h"

namespace ui {
namespace {

std::string Narrow(std::u16string_view text) { return nbase::Utf16ToUtf8(text); }

// Puts the loader's process-wide state back to nothing around every test.
class ResourceLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ResourceLoader::CloseGlobalPackage();
    ResourceLoader::SetResourceRoot(u"resources\\");
    ResourceLoader::SetThemeFolder(u"themes\\default");
    ResourceLoader::SetLanguageFolder(u"lang\\zh_CN");
    ResourceLoader::SetFileSystemRoot(u"");
    LangStrings::Global().Clear();
  }

  static std::string Package() {
    TestZipBuilder builder;
    builder.AddDirectory("resources/");
    builder.Add("resources/themes/default/global.xml", "\xEF\xBB\xBF<Global><Font/></Global>");
    builder.Add("resources/themes/default/basic/basic.xml", "<Window size=\"600,400\"/>");
    builder.Add("resources/themes/default/basic/broken.xml", "<Window><Box></VBox></Window>");
    builder.Add("resources/themes/default/public/checkbox/check.png", "PNG");
    builder.Add("resources/lang/zh_CN/gdstrings.ini", "\xEF\xBB\xBFSTRING_OK=确定\n");
    return builder.Build();
  }
};

TEST_F(ResourceLoaderTest, BuildsPathsFromWindowsStyleFolders) {
  ResourceLoader::SetThemeFolder(u"themes\\default-xhdpi");
  EXPECT_EQ(Narrow(ResourceLoader::GetResourceRoot()), "resources/");
  EXPECT_EQ(Narrow(ResourceLoader::GetThemeRoot()), "resources/themes/default-xhdpi/");
  const std::u16string layout = ResourceLoader::GetLayoutPath(u"basic", u"basic.xml");
  EXPECT_EQ(Narrow(layout), "resources/themes/default-xhdpi/basic/basic.xml");
  EXPECT_EQ(Narrow(ResourceLoader::GetLayoutPath(u"msgbox\\", u"msgbox.xml")),
            "resources/themes/default-xhdpi/msgbox/msgbox.xml");
  EXPECT_EQ(Narrow(ResourceLoader::GetLanguageFilePath()), "resources/lang/zh_CN/gdstrings.ini");

  const struct {
    const char16_t* name;
    const char* resolved;
  } images[] = {
      {u"../public/CheckBox/check.png", "resources/themes/default-xhdpi/public/CheckBox/check.png"},
      {u"logo.png", "resources/themes/default-xhdpi/basic/logo.png"},
      {u"./sub\\icon_up.png", "resources/themes/default-xhdpi/basic/sub/icon_up.png"},
      {u"../../../../../x.png", "../x.png"},
      {u"/abs/x.png", "/abs/x.png"},
  };
  for (const auto& image : images) {
    EXPECT_EQ(Narrow(ResourceLoader::ResolveRelative(layout, image.name)), image.resolved);
  }
  ResourceLoader::SetResourceRoot(u"resources");
  EXPECT_EQ(Narrow(ResourceLoader::GetThemeRoot()), "resources/themes/default-xhdpi/");
}

TEST_F(ResourceLoaderTest, ReadsLayoutsFromThePackage) {
  ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(Package()));
  EXPECT_TRUE(ResourceLoader::IsGlobalPackageOpen());
  Markup markup;
  ASSERT_TRUE(
      ResourceLoader::LoadMarkup(ResourceLoader::GetLayoutPath(u"basic", u"basic.xml"), &markup));
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"size"), u"600,400");
  // Windows separators and another case find the same entry.
  EXPECT_TRUE(ResourceLoader::LoadMarkup(u"RESOURCES\\themes\\default\\BASIC\\basic.xml", &markup));

  EXPECT_FALSE(ResourceLoader::LoadMarkup(u"resources/themes/default/basic/none.xml", &markup));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Error opening file");
  EXPECT_FALSE(ResourceLoader::LoadMarkup(u"resources/themes/default/basic/broken.xml", &markup));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Unmatched closing tag");

  // A layout given as text is parsed as it is.
  EXPECT_TRUE(ResourceLoader::LoadMarkup(u"<Window caption=\"0,0,0,34\"/>", &markup));
  EXPECT_EQ(markup.GetRoot().GetAttributeValue(u"caption"), u"0,0,0,34");

  ASSERT_TRUE(ResourceLoader::LoadGlobalStyle(&markup));
  EXPECT_EQ(markup.GetRoot().GetName(), u"Global");
  EXPECT_TRUE(ResourceLoader::HasResource(ResourceLoader::ResolveRelative(
      ResourceLoader::GetLayoutPath(u"basic", u"basic.xml"), u"../public/CheckBox/check.png")));

  ASSERT_TRUE(ResourceLoader::LoadLanguage());
  EXPECT_EQ(LangStrings::Global().Get(u"STRING_OK"), u"确定");
}

TEST_F(ResourceLoaderTest, ABadArchiveLeavesNoPackage) {
  ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(Package()));
  EXPECT_FALSE(ResourceLoader::OpenGlobalPackage("PK\x03\x04 but nothing more of a zip"));
  EXPECT_FALSE(ResourceLoader::IsGlobalPackageOpen());
  std::string pattern = (std::filesystem::temp_directory_path() / "skin_none_XXXXXX").string();
  const std::string empty_root = mkdtemp(pattern.data());
  ResourceLoader::SetFileSystemRoot(nbase::Utf8ToUtf16(empty_root));
  // Without a package the same path is looked for in the file system, where
  // nothing is installed.
  Markup markup;
  EXPECT_FALSE(
      ResourceLoader::LoadMarkup(ResourceLoader::GetLayoutPath(u"basic", u"basic.xml"), &markup));
  EXPECT_EQ(Narrow(markup.GetLastErrorMessage()), "Error opening file");
  EXPECT_FALSE(ResourceLoader::LoadGlobalStyle(&markup));
  EXPECT_FALSE(ResourceLoader::LoadLanguage());
  std::filesystem::remove(empty_root);
}

TEST_F(ResourceLoaderTest, ExecutableWithoutSkinOpensNoPackage) {
  // The test executable carries no resource table: an earlier package is
  // closed and nothing is open afterwards.
  ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(Package()));
  EXPECT_FALSE(ResourceLoader::OpenEmbeddedPackage());
  EXPECT_FALSE(ResourceLoader::IsGlobalPackageOpen());
}

TEST_F(ResourceLoaderTest, GlobalStyleIsReadAgainForAnotherPackage) {
  ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(Package()));
  Markup markup;
  ASSERT_TRUE(ResourceLoader::LoadGlobalStyle(&markup));
  TestZipBuilder other;
  other.Add("resources/themes/default/global.xml", "<Global><TextColor/></Global>");
  ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(other.Build()));
  ASSERT_TRUE(ResourceLoader::LoadGlobalStyle(&markup));
  EXPECT_EQ(markup.GetRoot().GetChild().GetName(), u"TextColor");
}

TEST_F(ResourceLoaderTest, ReadsTheFileSystemWithoutAPackage) {
  std::string pattern = (std::filesystem::temp_directory_path() / "skin_fs_XXXXXX").string();
  const std::string root = mkdtemp(pattern.data());
  const std::string theme = root + "/resources/themes/default";
  std::filesystem::create_directories(theme + "/basic");
  std::filesystem::create_directories(root + "/resources/lang/zh_CN");
  std::ofstream(theme + "/basic/basic.xml") << "<Window size=\"600,400\"/>";
  std::ofstream(theme + "/global.xml") << "<Global/>";
  std::ofstream(root + "/resources/lang/zh_CN/gdstrings.ini") << "STRING_CANCEL=取消\n";

  ResourceLoader::SetFileSystemRoot(nbase::Utf8ToUtf16(root));
  Markup markup;
  EXPECT_TRUE(ResourceLoader::LoadMarkup(u"resources\\themes\\default\\basic\\basic.xml", &markup))
      << Narrow(markup.GetLastErrorMessage());
  EXPECT_TRUE(ResourceLoader::LoadGlobalStyle(&markup));
  EXPECT_TRUE(ResourceLoader::LoadLanguage());
  EXPECT_EQ(LangStrings::Global().Get(u"STRING_CANCEL"), u"取消");
  std::string bytes;
  EXPECT_TRUE(ResourceLoader::ReadResource(u"resources/themes/default/global.xml", &bytes));
  EXPECT_EQ(bytes, "<Global/>");
  EXPECT_FALSE(ResourceLoader::ReadResource(u"resources/themes/default", &bytes));
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace ui
