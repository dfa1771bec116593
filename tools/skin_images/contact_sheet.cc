#include "tools/skin_images/contact_sheet.h"

#include <cairo.h>

#include <algorithm>
#include <map>

#include "tools/skin_images/skin_image_catalog.h"

namespace skin_tools {

namespace {

constexpr int kSheetWidth = 1800;
constexpr int kGap = 12;

void SetRgb(cairo_t* cr, unsigned rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0,
                       (rgb & 0xFF) / 255.0);
}

// Draws `image` into the rectangle (x, y, w, h) as a nine-grid with borders
// (l, t, r, b) kept at their own size.
void NineGrid(cairo_t* cr, cairo_surface_t* image, int l, int t, int r, int b, double x, double y,
              double w, double h) {
  const double sw = cairo_image_surface_get_width(image);
  const double sh = cairo_image_surface_get_height(image);
  const double src_x[4] = {0, double(l), sw - r, sw}, src_y[4] = {0, double(t), sh - b, sh};
  const double dst_x[4] = {x, x + l, x + w - r, x + w}, dst_y[4] = {y, y + t, y + h - b, y + h};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const double cw = src_x[col + 1] - src_x[col], ch = src_y[row + 1] - src_y[row];
      const double dw = dst_x[col + 1] - dst_x[col], dh = dst_y[row + 1] - dst_y[row];
      if (cw <= 0 || ch <= 0 || dw <= 0 || dh <= 0) continue;
      cairo_save(cr);
      cairo_rectangle(cr, dst_x[col], dst_y[row], dw, dh);
      cairo_clip(cr);
      cairo_translate(cr, dst_x[col], dst_y[row]);
      cairo_scale(cr, dw / cw, dh / ch);
      cairo_set_source_surface(cr, image, -src_x[col], -src_y[row]);
      cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
      cairo_paint(cr);
      cairo_restore(cr);
    }
  }
}

void Text(cairo_t* cr, const char* text, double size, unsigned rgb, double x, double y,
          bool centre_x = false) {
  cairo_select_font_face(cr, "WenQuanYi Micro Hei", CAIRO_FONT_SLANT_NORMAL,
                         CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text, &extents);
  SetRgb(cr, rgb);
  cairo_move_to(cr, centre_x ? x - extents.x_advance / 2 : x, y + size * 0.85);
  cairo_show_text(cr, text);
}

void Blit(cairo_t* cr, cairo_surface_t* image, double x, double y) {
  cairo_set_source_surface(cr, image, x, y);
  cairo_paint(cr);
}

class Images {
 public:
  explicit Images(const std::string& root) : root_(root) {}
  ~Images() {
    for (auto& entry : cache_) cairo_surface_destroy(entry.second);
  }
  // The image of `variant` at `path`; a magenta square when it cannot be read.
  cairo_surface_t* Get(const std::string& variant, const std::string& path) {
    const std::string file = root_ + "/resources/themes/" + variant + "/" + path;
    auto found = cache_.find(file);
    if (found != cache_.end()) return found->second;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(surface);
      surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 16, 16);
      cairo_t* cr = cairo_create(surface);
      cairo_set_source_rgb(cr, 1, 0, 1);
      cairo_paint(cr);
      cairo_destroy(cr);
      missing_ = true;
    }
    cache_[file] = surface;
    return surface;
  }
  bool missing() const { return missing_; }

 private:
  std::string root_;
  std::map<std::string, cairo_surface_t*> cache_;
  bool missing_ = false;
};

// The main window at 100 %: the welcome page, or the installing page at 45 %.
void MainWindowMock(cairo_t* cr, Images& images, double ox, double oy, bool installing) {
  const std::string v = "default";
  cairo_save(cr);
  cairo_translate(cr, ox, oy);
  NineGrid(cr, images.Get(v, "public/bk/bk_shadow.png"), 30, 30, 30, 30, -30, -30, 660, 460);
  SetRgb(cr, 0xF4F8F9);
  cairo_rectangle(cr, 0, 0, 600, 400);
  cairo_fill(cr);
  cairo_save(cr);
  cairo_rectangle(cr, 0, 0, 600, 400);
  cairo_clip(cr);
  Blit(cr, images.Get(v, "basic/bkg_top.png"), 0, 0);
  Blit(cr, images.Get(v, "public/button/btn_wnd_white_close.png"), 565, 10);
  Blit(cr, images.Get(v, "basic/logo.png"), 275, 64);
  Text(cr, "VarnikPDF转换器", 32, 0xFFFFFF, 315, 174, true);
  if (!installing) {
    NineGrid(cr, images.Get(v, "public/button/btn_global_blue_80x30_normal.png"), 8, 8, 8, 8, 195,
             281, 240, 52);
    Text(cr, "立即安装", 24, 0xFFFFFF, 315, 292, true);
    Text(cr, "自定义安装", 14, 0x666666, 474, 366);
    Blit(cr, images.Get(v, "basic/icon_down.png"), 546, 367);
    Blit(cr, images.Get(v, "public/checkbox/check.png"), 56, 367);
    Text(cr, "我已阅读并同意", 14, 0x666666, 76, 366);
  } else {
    cairo_surface_t* bg = images.Get(v, "public/progress/progress_blue_bg.png");
    cairo_surface_t* fg = images.Get(v, "public/progress/progress_blue_fg.png");
    cairo_save(cr);
    cairo_translate(cr, 50, 296);
    cairo_scale(cr, 530.0 / 420, 2);
    Blit(cr, bg, 0, 0);
    cairo_rectangle(cr, 0, 0, 420 * 0.45, 3);
    cairo_clip(cr);
    Blit(cr, fg, 0, 0);
    cairo_restore(cr);
    Text(cr, "正在安装，请不要关闭：45%", 16, 0x333333, 315, 322, true);
  }
  cairo_restore(cr);
  cairo_restore(cr);
}

void MessageBoxMock(cairo_t* cr, Images& images, double ox, double oy) {
  const std::string v = "default";
  cairo_save(cr);
  cairo_translate(cr, ox, oy);
  NineGrid(cr, images.Get(v, "public/bk/bk_shadow.png"), 30, 30, 30, 30, -30, -30, 400, 240);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_rectangle(cr, 0, 0, 340, 180);
  cairo_fill(cr);
  NineGrid(cr, images.Get(v, "public/caption/caption_public.png"), 0, 0, 0, 1, 0, 0, 340, 34);
  Text(cr, "提示", 14, 0x333333, 10, 9);
  Blit(cr, images.Get(v, "public/button/btn_wnd_gray_close.png"), 319, 10);
  Text(cr, "应用程序 \"VarnikPDF转换器\" 正在运行，", 16, 0x333333, 20, 58);
  Text(cr, "是否强制关闭？", 16, 0x333333, 20, 80);
  Blit(cr, images.Get(v, "public/button/btn_global_white_80x30_normal.png"), 150, 130);
  Text(cr, "重试", 14, 0x333333, 190, 136, true);
  Blit(cr, images.Get(v, "public/button/btn_global_blue_80x30_normal.png"), 240, 130);
  Text(cr, "强制关闭", 14, 0xFFFFFF, 280, 136, true);
  cairo_restore(cr);
}

}  // namespace

int ContactSheet::Write(const std::string& skin_root, const std::string& out_png,
                        std::string* error) {
  Images images(skin_root);
  // First pass measures the tiles' flow, second draws.
  int sheet_height = 0;
  cairo_surface_t* sheet = nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    cairo_t* cr = nullptr;
    if (pass == 1) {
      sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSheetWidth, sheet_height);
      cr = cairo_create(sheet);
      SetRgb(cr, 0xD8DEE4);
      cairo_paint(cr);
    }
    int y = kGap;
    for (const SkinVariant& variant : SkinImageCatalog::Variants()) {
      if (cr) Text(cr, variant.folder, 14, 0x333333, kGap, y);
      y += 24;
      int x = kGap, row_height = 0;
      for (const SkinImage& image : SkinImageCatalog::Images()) {
        cairo_surface_t* surface = images.Get(variant.folder, image.path);
        const int w = cairo_image_surface_get_width(surface) + 16;
        const int h = cairo_image_surface_get_height(surface) + 16;
        if (x + w > kSheetWidth - kGap) {
          x = kGap;
          y += row_height + kGap;
          row_height = 0;
        }
        if (cr) {
          SetRgb(cr, image.backdrop);
          cairo_rectangle(cr, x, y, w, h);
          cairo_fill(cr);
          Blit(cr, surface, x + 8, y + 8);
        }
        x += w + kGap;
        row_height = std::max(row_height, h);
      }
      y += row_height + kGap * 2;
    }
    // Small images enlarged pixel by pixel, to judge their edges.
    {
      int x = kGap, row_height = 0;
      for (const SkinImage& image : SkinImageCatalog::Images()) {
        if (image.width > 80 || image.height < 12) continue;
        for (const char* variant : {"default", "default-xhdpi"}) {
          cairo_surface_t* surface = images.Get(variant, image.path);
          const int zoom = image.width >= 60 ? 3 : 5;
          const int w = cairo_image_surface_get_width(surface) * zoom + 16;
          const int h = cairo_image_surface_get_height(surface) * zoom + 16;
          if (x + w > kSheetWidth - kGap) {
            x = kGap;
            y += row_height + kGap;
            row_height = 0;
          }
          if (cr) {
            SetRgb(cr, image.backdrop);
            cairo_rectangle(cr, x, y, w, h);
            cairo_fill(cr);
            cairo_save(cr);
            cairo_translate(cr, x + 8, y + 8);
            cairo_scale(cr, zoom, zoom);
            cairo_set_source_surface(cr, surface, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
            cairo_paint(cr);
            cairo_restore(cr);
          }
          x += w + kGap;
          row_height = std::max(row_height, h);
        }
      }
      y += row_height + kGap * 2;
    }
    // Nine-grid stretching as the layouts do it, all three states.
    const char* stretched[] = {"public/button/btn_global_blue_80x30_normal.png",
                               "public/button/btn_global_blue_80x30_hovered.png",
                               "public/button/btn_global_blue_80x30_pushed.png",
                               "public/button/btn_global_white_80x30_normal.png",
                               "public/button/btn_global_white_80x30_hovered.png",
                               "public/button/btn_global_white_80x30_pushed.png"};
    for (int i = 0; i < 6; ++i) {
      if (cr) {
        SetRgb(cr, 0xF4F8F9);
        cairo_rectangle(cr, kGap + i * 290, y, 276, 80);
        cairo_fill(cr);
        NineGrid(cr, images.Get("default", stretched[i]), 8, 8, 8, 8, kGap + 18 + i * 290, y + 14,
                 240, 52);
      }
    }
    y += 80 + kGap * 4;
    if (cr) {
      MainWindowMock(cr, images, 30 + kGap, y + 30, false);
      MainWindowMock(cr, images, 30 + kGap + 660, y + 30, true);
      MessageBoxMock(cr, images, 30 + kGap + 1320, y + 30);
    }
    y += 460 + kGap;
    sheet_height = y;
    if (cr) cairo_destroy(cr);
  }
  const cairo_status_t status = cairo_surface_write_to_png(sheet, out_png.c_str());
  cairo_surface_destroy(sheet);
  if (status != CAIRO_STATUS_SUCCESS) {
    *error = "cannot write " + out_png + ": " + cairo_status_to_string(status);
    return 1;
  }
  if (images.missing()) {
    *error = "some images could not be read (shown in magenta)";
    return 1;
  }
  return 0;
}

}  // namespace skin_tools
