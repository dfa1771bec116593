#include "tools/skin_images/skin_image_catalog.h"

#include "tools/skin_images/skin_image_painter.h"

namespace skin_tools {

namespace {

constexpr unsigned kOnWindow = 0xF4F8F9;  // the main window's background
constexpr unsigned kOnBlue = 0x238EFA;    // the top background and title colour
constexpr unsigned kOnWhite = 0xFFFFFF;   // message box and edit fields

int Scale(int size, int percent) { return (size * percent + 50) / 100; }

}  // namespace

const std::vector<SkinImage>& SkinImageCatalog::Images() {
  using P = SkinImagePainter;
  static const std::vector<SkinImage> images = {
      {"basic/bkg_top.png", 600, 256, true, &P::TopBackground, kOnWindow},
      {"basic/logo.png", 80, 80, true, &P::Logo, kOnBlue},
      {"basic/icon_down.png", 16, 16, true, &P::ArrowDown, kOnWindow},
      {"basic/icon_up.png", 16, 16, true, &P::ArrowUp, kOnWindow},
      {"msgbox/question.png", 22, 22, false, &P::IconQuestion, kOnWhite},
      {"msgbox/ok.png", 22, 22, false, &P::IconOk, kOnWhite},
      {"msgbox/infor.png", 22, 22, false, &P::IconInfo, kOnWhite},
      {"msgbox/error.png", 22, 22, false, &P::IconError, kOnWhite},
      {"msgbox/warning.png", 22, 22, false, &P::IconWarning, kOnWhite},
      {"public/bk/bk_shadow.png", 68, 68, false, &P::WindowShadow, kOnWhite},
      {"public/bk/bg_image_mask.png", 500, 130, false, &P::ImageMask, kOnWhite},
      {"public/button/btn_wnd_white_close.png", 24, 24, true, &P::WhiteCloseNormal, kOnBlue},
      {"public/button/btn_wnd_white_close_hovered.png", 24, 24, true, &P::WhiteCloseHovered,
       kOnBlue},
      {"public/button/btn_wnd_white_close_pushed.png", 24, 24, true, &P::WhiteClosePushed, kOnBlue},
      {"public/button/btn_wnd_gray_close.png", 12, 12, true, &P::GrayCloseNormal, kOnWindow},
      {"public/button/btn_wnd_gray_close_hover.png", 12, 12, true, &P::GrayCloseHover, kOnWindow},
      {"public/button/btn_global_blue_80x30_normal.png", 80, 30, false, &P::BlueButtonNormal,
       kOnWindow},
      {"public/button/btn_global_blue_80x30_hovered.png", 80, 30, false, &P::BlueButtonHovered,
       kOnWindow},
      {"public/button/btn_global_blue_80x30_pushed.png", 80, 30, false, &P::BlueButtonPushed,
       kOnWindow},
      {"public/button/btn_global_white_80x30_normal.png", 80, 30, false, &P::WhiteButtonNormal,
       kOnWindow},
      {"public/button/btn_global_white_80x30_hovered.png", 80, 30, false, &P::WhiteButtonHovered,
       kOnWindow},
      {"public/button/btn_global_white_80x30_pushed.png", 80, 30, false, &P::WhiteButtonPushed,
       kOnWindow},
      {"public/button/btn_wnd_white_min.png", 20, 20, false, &P::WhiteMinNormal, kOnBlue},
      {"public/button/btn_wnd_white_min_hovered.png", 20, 20, false, &P::WhiteMinHovered, kOnBlue},
      {"public/button/btn_wnd_white_min_pushed.png", 20, 20, false, &P::WhiteMinPushed, kOnBlue},
      {"public/caption/caption_public.png", 20, 34, false, &P::Caption, kOnWhite},
      {"public/checkbox/check.png", 16, 16, true, &P::CheckTicked, kOnWindow},
      {"public/checkbox/check_no.png", 16, 16, true, &P::CheckEmpty, kOnWindow},
      {"public/progress/progress_blue_bg.png", 420, 3, false, &P::ProgressBackground, kOnWindow},
      {"public/progress/progress_blue_fg.png", 420, 3, false, &P::ProgressForeground, kOnWindow},
  };
  return images;
}

const std::vector<SkinVariant>& SkinImageCatalog::Variants() {
  static const std::vector<SkinVariant> variants = {
      {"default", 100}, {"default-hdpi", 125}, {"default-xhdpi", 150}};
  return variants;
}

const SkinVariant* SkinImageCatalog::FindVariant(std::string_view folder) {
  for (const SkinVariant& variant : Variants()) {
    if (folder == variant.folder) return &variant;
  }
  return nullptr;
}

int SkinImageCatalog::ScaledWidth(const SkinImage& image, int percent) {
  return image.scales ? Scale(image.width, percent) : image.width;
}

int SkinImageCatalog::ScaledHeight(const SkinImage& image, int percent) {
  return image.scales ? Scale(image.height, percent) : image.height;
}

}  // namespace skin_tools
