// Checks of the real, packed skin: what the installer carries must load and
// every name its layouts use must resolve in every variant.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "base/utf.h"
#include "platform/embedded_resources.h"
#include "ui/markup/markup.h"
#include "ui/skin/image_description.h"
#include "ui/skin/resource_loader.h"
#include "ui/skin/style_sheet.h"
#include "ui/skin/zip_archive.h"

namespace ui {
namespace {

std::string Narrow(std::u16string_view text) { return nbase::Utf16ToUtf8(text); }

std::string ReadPackage() {
  std::ifstream in(VARNIK_TEST_SKIN_ZIP, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const char16_t* const kVariants[] = {u"themes\\default", u"themes\\default-hdpi",
                                     u"themes\\default-xhdpi"};

// Attributes whose values are image descriptions.
const std::set<std::u16string> kImageAttributes = {
    u"bkimage",          u"normalimage",         u"hotimage",
    u"pushedimage",      u"disabledimage",       u"forenormalimage",
    u"forehotimage",     u"selectednormalimage", u"selecteddisabledimage",
    u"selectedhotimage", u"progressimage",
};

class SkinPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResourceLoader::SetResourceRoot(u"resources\\");
    ResourceLoader::SetLanguageFolder(u"lang\\zh_CN");
    ResourceLoader::SetFileSystemRoot(u"");
    ASSERT_TRUE(ResourceLoader::OpenGlobalPackage(ReadPackage())) << VARNIK_TEST_SKIN_ZIP;
  }
  void TearDown() override { ResourceLoader::CloseGlobalPackage(); }

  // Width and height from a PNG's header.
  static bool PngSize(std::u16string_view path, int* width, int* height) {
    std::string png;
    if (!ResourceLoader::ReadResource(path, &png) || png.size() < 24 ||
        png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
      return false;
    }
    auto be32 = [&](size_t at) {
      return static_cast<int>(
          static_cast<uint8_t>(png[at]) << 24 | static_cast<uint8_t>(png[at + 1]) << 16 |
          static_cast<uint8_t>(png[at + 2]) << 8 | static_cast<uint8_t>(png[at + 3]));
    };
    *width = be32(16);
    *height = be32(20);
    return true;
  }

  // Every image the layout and the classes it uses name, resolved against
  // the layout's folder; fails the test for any image that is missing.
  static int CheckLayoutImages(const std::u16string& layout_path, const StyleSheet& sheet) {
    Markup markup;
    EXPECT_TRUE(ResourceLoader::LoadMarkup(layout_path, &markup))
        << Narrow(layout_path) << ": " << Narrow(markup.GetLastErrorMessage());
    int checked = 0;
    auto check = [&](std::u16string_view name, std::u16string_view value) {
      if (!kImageAttributes.count(std::u16string(name)) || value.empty()) return;
      ImageDescription image;
      ASSERT_TRUE(ImageDescription::Parse(value, &image)) << Narrow(value);
      const std::u16string path = ResourceLoader::ResolveRelative(layout_path, image.file);
      EXPECT_TRUE(ResourceLoader::HasResource(path)) << Narrow(path);
      ++checked;
    };
    // Depth-first over the element table.
    std::vector<MarkupNode> pending = {markup.GetRoot()};
    while (!pending.empty()) {
      const MarkupNode node = pending.back();
      pending.pop_back();
      if (!node.IsValid()) continue;
      pending.push_back(node.GetSibling());
      pending.push_back(node.GetChild());
      for (int i = 0; i < node.GetAttributeCount(); ++i) {
        const std::u16string_view name = node.GetAttributeName(i);
        const std::u16string value = node.GetAttributeValue(i);
        if (name == u"class") {
          const AttributeList* list = sheet.GetClass(value);
          EXPECT_NE(list, nullptr) << Narrow(value);
          if (list) {
            for (const auto& [class_name, class_value] : *list) check(class_name, class_value);
          }
        } else if (name == u"shadowattached" && value == u"true") {
          check(u"bkimage", u"file='../public/bk/bk_shadow.png' corner='30,30,30,30'");
        } else {
          check(name, value);
        }
      }
    }
    return checked;
  }
};

TEST_F(SkinPackageTest, ArchiveHoldsTheExpectedEntries) {
  ZipArchive zip;
  ASSERT_EQ(zip.Open(ReadPackage()), ZipArchive::Result::kOk);
  int folders = 0;
  int files = 0;
  for (const ZipArchive::Entry& entry : zip.entries()) {
    EXPECT_EQ(entry.name.rfind("resources/", 0), 0u) << entry.name;
    EXPECT_EQ(entry.flags & 1, 0) << entry.name;
    if (entry.IsDirectory()) {
      ++folders;
      EXPECT_EQ(entry.method, 0) << entry.name;
      EXPECT_EQ(entry.uncompressed_size, 0u) << entry.name;
    } else {
      ++files;
      EXPECT_EQ(entry.method, 8) << entry.name;
      std::string data;
      EXPECT_EQ(zip.ReadEntryUtf8(entry.name, &data), ZipArchive::Result::kOk) << entry.name;
    }
  }
  EXPECT_EQ(folders, 35);
  EXPECT_EQ(files, 104);
}

TEST_F(SkinPackageTest, EveryLayoutAndImageResolvesInEveryVariant) {
  for (const char16_t* variant : kVariants) {
    SCOPED_TRACE(Narrow(variant));
    ResourceLoader::SetThemeFolder(variant);
    Markup global;
    ASSERT_TRUE(ResourceLoader::LoadGlobalStyle(&global)) << Narrow(global.GetLastErrorMessage());
    StyleSheet sheet;
    EXPECT_TRUE(sheet.LoadGlobal(global.GetRoot()));
    EXPECT_EQ(sheet.GetFontCount(), 29);
    uint32_t argb = 0;
    EXPECT_TRUE(sheet.GetColor(u"bk_color_mainwnd", &argb));
    EXPECT_EQ(argb, 0xfff4f8f9u);

    EXPECT_GE(CheckLayoutImages(ResourceLoader::GetLayoutPath(u"basic", u"basic.xml"), sheet), 10);
    EXPECT_GE(CheckLayoutImages(ResourceLoader::GetLayoutPath(u"msgbox", u"msgbox.xml"), sheet), 5);
    Markup shadow;
    EXPECT_TRUE(ResourceLoader::LoadMarkup(ResourceLoader::GetLayoutPath(u"shadow", u"shadow.xml"),
                                           &shadow));
    EXPECT_EQ(shadow.GetRoot().GetChild().GetName(), u"Control");
  }
  EXPECT_TRUE(ResourceLoader::LoadLanguage());
}

TEST_F(SkinPackageTest, ImagesHaveTheirPixelSizes) {
  const struct {
    const char16_t* file;
    int sizes[3][2];
  } images[] = {
      {u"basic/bkg_top.png", {{600, 256}, {750, 320}, {900, 384}}},
      {u"basic/logo.png", {{80, 80}, {100, 100}, {120, 120}}},
      {u"basic/icon_down.png", {{16, 16}, {20, 20}, {24, 24}}},
      {u"basic/icon_up.png", {{16, 16}, {20, 20}, {24, 24}}},
      {u"public/checkbox/check.png", {{16, 16}, {20, 20}, {24, 24}}},
      {u"public/checkbox/check_no.png", {{16, 16}, {20, 20}, {24, 24}}},
      {u"public/button/btn_wnd_white_close.png", {{24, 24}, {30, 30}, {36, 36}}},
      {u"public/button/btn_wnd_white_close_pushed.png", {{24, 24}, {30, 30}, {36, 36}}},
      {u"public/button/btn_wnd_gray_close.png", {{12, 12}, {15, 15}, {18, 18}}},
      {u"public/button/btn_global_blue_80x30_normal.png", {{80, 30}, {80, 30}, {80, 30}}},
      {u"public/button/btn_wnd_white_min.png", {{20, 20}, {20, 20}, {20, 20}}},
      {u"public/caption/caption_public.png", {{20, 34}, {20, 34}, {20, 34}}},
      {u"public/progress/progress_blue_fg.png", {{420, 3}, {420, 3}, {420, 3}}},
      {u"public/bk/bk_shadow.png", {{68, 68}, {68, 68}, {68, 68}}},
      {u"public/bk/bg_image_mask.png", {{500, 130}, {500, 130}, {500, 130}}},
      {u"msgbox/question.png", {{22, 22}, {22, 22}, {22, 22}}},
  };
  for (int v = 0; v < 3; ++v) {
    ResourceLoader::SetThemeFolder(kVariants[v]);
    for (const auto& image : images) {
      const std::u16string path = ResourceLoader::GetThemeRoot() + image.file;
      int width = 0;
      int height = 0;
      ASSERT_TRUE(PngSize(path, &width, &height)) << Narrow(path);
      EXPECT_EQ(width, image.sizes[v][0]) << Narrow(path);
      EXPECT_EQ(height, image.sizes[v][1]) << Narrow(path);
    }
  }
}

#ifdef VARNIK_TEST_INSTALLER
TEST_F(SkinPackageTest, InstallerCarriesThePackage) {
  if (!std::ifstream(VARNIK_TEST_INSTALLER)) {
    GTEST_SKIP() << "the installer is not built: " << VARNIK_TEST_INSTALLER;
  }
  std::string theme;
  ASSERT_TRUE(platform::LoadResourceFromFile(VARNIK_TEST_INSTALLER, platform::kThemeResourceType,
                                             platform::kThemeResourceId, &theme));
  EXPECT_EQ(theme, ReadPackage());
  ZipArchive zip;
  ASSERT_EQ(zip.Open(theme), ZipArchive::Result::kOk);
  EXPECT_EQ(zip.entries().size(), 139u);
}
#endif

TEST_F(SkinPackageTest, StagedTreeLoadsWithoutThePackage) {
  ResourceLoader::CloseGlobalPackage();
  ResourceLoader::SetFileSystemRoot(nbase::Utf8ToUtf16(VARNIK_TEST_SKIN_ROOT));
  ResourceLoader::SetThemeFolder(u"themes\\default-hdpi");
  Markup markup;
  EXPECT_TRUE(
      ResourceLoader::LoadMarkup(ResourceLoader::GetLayoutPath(u"basic", u"basic.xml"), &markup))
      << Narrow(markup.GetLastErrorMessage());
  EXPECT_EQ(markup.GetRoot().GetName(), u"Window");
  ResourceLoader::SetFileSystemRoot(u"");
}

}  // namespace
}  // namespace ui
