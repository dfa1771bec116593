// Checks the skin's XML and language files as the installer will read them:
// identical in every variant, every name the layouts use resolves, the style
// sheet carries the fonts and colours the layouts refer to.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kVariants[] = {"default", "default-hdpi", "default-xhdpi"};
const char* const kXmlFiles[] = {"global.xml", "basic/basic.xml", "msgbox/msgbox.xml",
                                 "shadow/shadow.xml"};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

fs::path Staged(const std::string& variant, const std::string& file) {
  return fs::path(VARNIK_SKIN_ROOT) / "resources/themes" / variant / file;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string DecodeQuotes(std::string text) {
  for (size_t at; (at = text.find("&quot;")) != std::string::npos;) text.replace(at, 6, "\"");
  return text;
}

using Attributes = std::vector<std::pair<std::string, std::string>>;

Attributes ParseAttributes(const std::string& text) {
  static const std::regex attribute(R"re(([A-Za-z_][\w]*)="([^"]*)")re");
  Attributes result;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute);
       it != std::sregex_iterator(); ++it) {
    result.emplace_back((*it)[1], (*it)[2]);
  }
  return result;
}

struct Element {
  std::string name;
  Attributes attributes;
  std::string Get(const std::string& key) const {
    for (const auto& [name, value] : attributes) {
      if (name == key) return value;
    }
    return std::string();
  }
};

// A minimal scan of the skin's own XML: start tags with their attributes in
// order, comments and declarations skipped, nesting checked.
bool ScanXml(const std::string& xml, std::vector<Element>* elements, std::string* error) {
  std::vector<std::string> open;
  size_t at = 0;
  while ((at = xml.find('<', at)) != std::string::npos) {
    if (xml.compare(at, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", at);
      if (end == std::string::npos) return *error = "unterminated comment", false;
      at = end + 3;
      continue;
    }
    const size_t end = xml.find('>', at);
    if (end == std::string::npos) return *error = "unterminated tag", false;
    const std::string tag = xml.substr(at + 1, end - at - 1);
    at = end + 1;
    if (tag.empty() || tag[0] == '?') continue;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return *error = "mismatched " + tag, false;
      open.pop_back();
      continue;
    }
    const size_t name_end = tag.find_first_of(" \t\r\n/");
    Element element{tag.substr(0, name_end), ParseAttributes(tag)};
    if (tag.back() != '/') open.push_back(element.name);
    elements->push_back(std::move(element));
  }
  if (!open.empty()) return *error = "unclosed " + open.back(), false;
  return true;
}

// The style sheet as the layouts see it.
struct StyleSheet {
  std::vector<Element> fonts;
  std::map<std::string, std::string> colours;
  std::map<std::string, Attributes> classes;
};

StyleSheet LoadStyleSheet() {
  std::vector<Element> elements;
  std::string error;
  EXPECT_TRUE(ScanXml(ReadFile(Staged("default", "global.xml")), &elements, &error)) << error;
  StyleSheet sheet;
  for (const Element& element : elements) {
    if (element.name == "Font") sheet.fonts.push_back(element);
    if (element.name == "TextColor") {
      EXPECT_TRUE(sheet.colours.emplace(element.Get("name"), element.Get("value")).second)
          << "colour defined twice: " << element.Get("name");
    }
    if (element.name == "Class") {
      sheet.classes[element.Get("name")] = ParseAttributes(DecodeQuotes(element.Get("value")));
    }
  }
  return sheet;
}

// A layout's elements with the attributes of their classes applied where the
// class attribute stands (later attributes override).
std::vector<Element> LoadLayout(const std::string& file, const StyleSheet& sheet) {
  std::vector<Element> elements;
  std::string error;
  EXPECT_TRUE(ScanXml(ReadFile(Staged("default", file)), &elements, &error)) << error;
  for (Element& element : elements) {
    Attributes applied;
    for (const auto& attribute : element.attributes) {
      if (attribute.first == "class") {
        auto found = sheet.classes.find(attribute.second);
        EXPECT_NE(found, sheet.classes.end()) << "unknown class " << attribute.second;
        if (found != sheet.classes.end()) {
          applied.insert(applied.end(), found->second.begin(), found->second.end());
        }
      }
      applied.push_back(attribute);
    }
    element.attributes = applied;
  }
  return elements;
}

// The file named by an image attribute: a bare name or file='...'.
std::string ImageFile(const std::string& value) {
  static const std::regex file(R"re(file='([^']*)')re");
  std::smatch match;
  if (std::regex_search(value, match, file)) return match[1];
  return value.find('=') == std::string::npos ? value : std::string();
}

// Joins `name` to `folder` and removes "." and "x/.." segments.
std::string Resolve(const std::string& folder, const std::string& name) {
  std::vector<std::string> segments;
  std::string path = folder + "/" + name, segment;
  for (size_t at = 0; at <= path.size(); ++at) {
    if (at == path.size() || path[at] == '/') {
      if (segment == "..") {
        if (!segments.empty()) segments.pop_back();
      } else if (!segment.empty() && segment != ".") {
        segments.push_back(segment);
      }
      segment.clear();
    } else {
      segment += path[at];
    }
  }
  std::string result;
  for (const std::string& s : segments) result += (result.empty() ? "" : "/") + s;
  return result;
}

bool IsImageAttribute(const std::string& name) {
  static const std::set<std::string> images = {"bkimage",
                                               "normalimage",
                                               "hotimage",
                                               "pushedimage",
                                               "disabledimage",
                                               "forenormalimage",
                                               "selectednormalimage",
                                               "selecteddisabledimage",
                                               "progressimage"};
  return images.count(name) > 0;
}

TEST(SkinLayoutTest, XmlIsIdenticalInEveryVariantAndMatchesTheSource) {
  for (const char* file : kXmlFiles) {
    SCOPED_TRACE(file);
    const std::string source = ReadFile(fs::path(VARNIK_SKIN_SOURCE) / "themes/default" / file);
    ASSERT_FALSE(source.empty());
    for (const char* variant : kVariants) EXPECT_EQ(ReadFile(Staged(variant, file)), source);
  }
}

TEST(SkinLayoutTest, XmlIsBalancedAndWritesClassFirst) {
  const std::map<std::string, std::string> roots = {{"global.xml", "Global"},
                                                    {"basic/basic.xml", "Window"},
                                                    {"msgbox/msgbox.xml", "Window"},
                                                    {"shadow/shadow.xml", "Window"}};
  for (const auto& [file, root] : roots) {
    SCOPED_TRACE(file);
    std::vector<Element> elements;
    std::string error;
    ASSERT_TRUE(ScanXml(ReadFile(Staged("default", file)), &elements, &error)) << error;
    ASSERT_FALSE(elements.empty());
    EXPECT_EQ(elements[0].name, root);
    for (const Element& element : elements) {
      for (size_t i = 1; i < element.attributes.size(); ++i) {
        EXPECT_NE(element.attributes[i].first, "class")
            << element.name << " " << element.Get("name");
      }
    }
  }
  // The shadow window: a Window with one empty Control.
  std::vector<Element> shadow;
  std::string error;
  ASSERT_TRUE(ScanXml(ReadFile(Staged("default", "shadow/shadow.xml")), &shadow, &error));
  ASSERT_EQ(shadow.size(), 2u);
  EXPECT_EQ(shadow[1].name, "Control");
  EXPECT_TRUE(shadow[1].attributes.empty());
}

TEST(SkinLayoutTest, StyleSheetHasTheFontsByIndex) {
  struct Font {
    const char* name;
    int size;
    bool bold;
    bool underline;
  };
  std::vector<Font> expected;
  for (bool bold : {false, true}) {
    for (int size : {10, 12, 14, 16, 18}) expected.push_back({"system", size, bold, false});
  }
  for (bool bold : {false, true}) {
    for (int size : {10, 12, 14, 16, 18}) expected.push_back({"arial", size, bold, false});
  }
  const Font tail[] = {
      {"system", 20, false, false}, {"system", 20, true, false}, {"system", 22, false, false},
      {"system", 22, true, false},  {"system", 12, false, true}, {"system", 24, false, false},
      {"system", 14, false, true},  {"system", 16, false, true}, {"system", 32, false, false}};
  expected.insert(expected.end(), std::begin(tail), std::end(tail));

  const StyleSheet sheet = LoadStyleSheet();
  ASSERT_EQ(sheet.fonts.size(), 29u);
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("font " + std::to_string(i));
    EXPECT_EQ(sheet.fonts[i].Get("name"), expected[i].name);
    EXPECT_EQ(sheet.fonts[i].Get("size"), std::to_string(expected[i].size));
    EXPECT_EQ(sheet.fonts[i].Get("bold") == "true", expected[i].bold);
    EXPECT_EQ(sheet.fonts[i].Get("underline") == "true", expected[i].underline);
  }
}

TEST(SkinLayoutTest, ColoursAreWrittenAlphaFirst) {
  const StyleSheet sheet = LoadStyleSheet();
  EXPECT_EQ(sheet.colours.size(), 41u);
  static const std::regex argb("#[0-9A-Fa-f]{8}");
  for (const auto& [name, value] : sheet.colours) {
    EXPECT_TRUE(std::regex_match(value, argb)) << name << " = " << value;
  }
  EXPECT_EQ(sheet.colours.at("bk_color_mainwnd"), "#ffF4F8F9");
  EXPECT_EQ(sheet.colours.at("transbkblack"), "#80000000");
  EXPECT_EQ(sheet.colours.at("blue"), "#ff006DD9");
}

// Every font, colour, class and image the two layouts use (directly or
// through their classes) resolves, in every variant.
TEST(SkinLayoutTest, EveryNameTheLayoutsUseResolves) {
  const StyleSheet sheet = LoadStyleSheet();
  // The staged files of each variant, compared without ASCII case as the
  // package lookup does.
  std::map<std::string, std::set<std::string>> staged;
  for (const char* variant : kVariants) {
    const fs::path theme = Staged(variant, "");
    for (const auto& entry : fs::recursive_directory_iterator(theme)) {
      staged[variant].insert(Lower(fs::relative(entry.path(), theme).generic_string()));
    }
  }
  int images = 0;
  for (const std::string layout : {"basic/basic.xml", "msgbox/msgbox.xml"}) {
    const std::string folder = layout.substr(0, layout.find('/'));
    for (const Element& element : LoadLayout(layout, sheet)) {
      for (const auto& [name, value] : element.attributes) {
        SCOPED_TRACE(layout + ": " + element.name + " " + element.Get("name") + " " + name);
        if (name == "font") {
          EXPECT_LT(std::stoul(value), sheet.fonts.size());
        } else if (name == "normaltextcolor" || name == "bkcolor") {
          EXPECT_TRUE(sheet.colours.count(value)) << value;
        } else if (IsImageAttribute(name) && !value.empty()) {
          const std::string file = ImageFile(value);
          ASSERT_FALSE(file.empty()) << value;
          ++images;
          for (const char* variant : kVariants) {
            EXPECT_TRUE(staged[variant].count(Lower(Resolve(folder, file))))
                << variant << ": " << file;
          }
        }
      }
      // The drop shadow of a window with shadowattached.
      if (element.Get("shadowattached") == "true") {
        for (const char* variant : kVariants) {
          EXPECT_TRUE(staged[variant].count(Resolve(folder, "../public/bk/bk_shadow.png")));
        }
      }
    }
  }
  EXPECT_GT(images, 20);
}

TEST(SkinLayoutTest, CheckBoxImagesAreFoundOnlyWithoutCase) {
  // The class writes "CheckBox" while the folder is "checkbox": a case-exact
  // lookup would miss it, which is why the package lookup ignores case.
  const StyleSheet sheet = LoadStyleSheet();
  const std::string file = ImageFile(DecodeQuotes(sheet.classes.at("checkbox_agree")[4].second));
  EXPECT_EQ(file, "../public/CheckBox/check_no.png");
  EXPECT_FALSE(fs::exists(Staged("default", Resolve("basic", file))));
  EXPECT_TRUE(fs::exists(Staged("default", Lower(Resolve("basic", file)))));
}

TEST(SkinLayoutTest, ControlsTheInstallerFindsByNameCarryTheirTexts) {
  const StyleSheet sheet = LoadStyleSheet();
  std::map<std::string, const Element*> by_name;
  const std::vector<Element> basic = LoadLayout("basic/basic.xml", sheet);
  const std::vector<Element> msgbox = LoadLayout("msgbox/msgbox.xml", sheet);
  for (const auto* layout : {&basic, &msgbox}) {
    for (const Element& element : *layout) {
      if (!element.Get("name").empty()) by_name[element.Get("name")] = &element;
    }
  }
  struct Expected {
    const char* name;
    const char* type;
    const char* text;
  };
  const Expected controls[] = {
      {"btn_exit", "Button", ""},
      {"welcompage", "VBox", ""},
      {"installpage", "VBox", ""},
      {"ExitStartpage", "VBox", ""},
      {"installedpage", "VBox", ""},
      {"installfaildpage", "VBox", ""},
      {"bkimage1", "Box", ""},
      {"bkimage2", "Box", ""},
      {"appnameLable_welcom", "Label", "您的软件名称"},
      {"appnameLable_install", "Label", "您的软件名称"},
      {"btn_startinstall", "Button", "立即安装"},
      {"checkbox_agreement", "CheckBox", "我已阅读并同意"},
      {"btn_useragreement", "Button", "用户使用协议"},
      {"btn_customize", "Button", "自定义安装"},
      {"btn_expand", "Button", ""},
      {"customizebar", "VBox", ""},
      {"edit_installdir", "RichEdit", "C:\\Program Files (x86)\\dudIdiruvovo"},
      {"btn_changeinstallpath", "Button", "更改目录"},
      {"progress_install", "Progress", ""},
      {"progress_install_value", "Label", "正在安装，请不要关闭：0%"},
      {"downloadAlert", "HBox", ""},
      {"btn_downloadOfflinePackage", "Button", "下载完整安装包"},
      {"askuserStayMsg", "Label", "数据恢复越早，恢复成功率越高！"},
      {"checkbox_1", "CheckBox", "本软件已经安装"},
      {"checkbox_2", "CheckBox", "以前曾经安装过，不能满足要求"},
      {"checkbox_3", "CheckBox", "下载错了，糊里糊涂下载了软件"},
      {"checkbox_4", "CheckBox", "第六感不喜欢，不安全"},
      {"checkbox_5", "CheckBox", "没有理由，就是不想安装"},
      {"edit_feedback", "RichEdit", ""},
      {"btn_quitStart", "Button", "直接退出"},
      {"btn_continueInstall", "Button", "继续安装"},
      {"btn_startapp", "Button", "立即体验"},
      {"download_failed_msg", "Label", "失败原因："},
      {"btn_redownload", "Button", "下载完整安装包"},
      {"btn_reinstall", "Button", "重新安装"},
      {"title", "Label", ""},
      {"content", "RichEdit", ""},
      {"closebtn", "Button", ""},
      {"btn_yes", "Button", ""},
      {"btn_no", "Button", ""},
  };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    ASSERT_TRUE(by_name.count(control.name));
    EXPECT_EQ(by_name[control.name]->name, control.type);
    EXPECT_EQ(by_name[control.name]->Get("text"), control.text);
  }
  // The message box's yes button is white and its no button blue, whatever
  // answers they stand for.
  EXPECT_EQ(by_name["btn_yes"]->Get("normalimage"),
            "file='../public/button/btn_global_white_80x30_normal.png'");
  EXPECT_EQ(by_name["btn_no"]->Get("normalimage"),
            "file='../public/button/btn_global_blue_80x30_normal.png' corner='8,8,8,8'");
  // The main window's caption buttons exist only as comments.
  const std::string xml = ReadFile(Staged("default", "basic/basic.xml"));
  EXPECT_EQ(by_name.count("minbtn"), 0u);
  EXPECT_NE(xml.find("name=\"minbtn\""), std::string::npos);
  EXPECT_EQ(basic[0].Get("size"), "600,400");
  EXPECT_EQ(msgbox[0].Get("size"), "340,180");
}

TEST(SkinLayoutTest, LanguageFilesCarryTheButtonStrings) {
  struct Expected {
    const char* language;
    const char* ok;
    const char* cancel;
  };
  for (const Expected& lang :
       {Expected{"zh_CN", "确定", "取消"}, Expected{"en_US", "OK", "Cancel"}}) {
    SCOPED_TRACE(lang.language);
    const std::string text =
        ReadFile(fs::path(VARNIK_SKIN_ROOT) / "resources/lang" / lang.language / "gdstrings.ini");
    ASSERT_EQ(text.compare(0, 3, "\xEF\xBB\xBF"), 0) << "byte-order mark";
    std::map<std::string, std::string> strings;
    size_t start = 3;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      start = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';') continue;
      const size_t equals = line.find('=');
      ASSERT_NE(equals, std::string::npos) << line;
      auto trim = [](std::string s) {
        s.erase(0, s.find_first_not_of(" \t"));
        s.erase(s.find_last_not_of(" \t") + 1);
        return s;
      };
      strings[trim(line.substr(0, equals))] = trim(line.substr(equals + 1));
    }
    EXPECT_EQ(strings["STRING_OK"], lang.ok);
    EXPECT_EQ(strings["STRING_CANCEL"], lang.cancel);
  }
}

}  // namespace
