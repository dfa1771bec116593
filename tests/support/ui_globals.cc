#include "tests/support/ui_globals.h"

#include <fstream>
#include <iterator>

#include "ui/core/dpi_scale.h"
#include "ui/core/global_manager.h"
#include "ui/core/image_size_reader.h"
#include "ui/core/text_measurer.h"
#include "ui/core/window_builder.h"
#include "ui/skin/resource_loader.h"

namespace varnik_test {

void ResetUiGlobals() {
  ui::ResourceLoader::CloseGlobalPackage();
  ui::ResourceLoader::SetResourceRoot(u"");
  ui::ResourceLoader::SetThemeFolder(u"");
  ui::ResourceLoader::SetLanguageFolder(u"");
  ui::ResourceLoader::SetFileSystemRoot(u"");
  // The style sheet and the language strings go with it.
  ui::GlobalManager::Reset();
  ui::TextMeasurer::SetInstance(nullptr);
  ui::ImageSizeReader::ClearCache();
  ui::DpiScale::Set(100, false);
}

bool LoadPackedSkin(const std::string& zip_path, const std::u16string& theme, int32_t scale_percent,
                    ui::TextMeasurer* measurer) {
  std::ifstream in(zip_path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!ui::ResourceLoader::OpenGlobalPackage(std::move(bytes))) return false;
  ui::DpiScale::Set(scale_percent, true);
  ui::GlobalManager::Reset();
  ui::ResourceLoader::SetResourceRoot(u"resources\\");
  ui::ResourceLoader::SetThemeFolder(theme);
  ui::ResourceLoader::SetLanguageFolder(u"lang\\zh_CN");
  ui::TextMeasurer::SetInstance(measurer);
  return ui::WindowBuilder::LoadGlobalStyle() && ui::ResourceLoader::LoadLanguage();
}

}  // namespace varnik_test
