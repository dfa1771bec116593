// The peer every frame figure is measured against: one cairo frame with one
// pango text line, copied to an SDL window's surface and presented. Shared by
// the start-up peer program and the frame-time benchmark so both measure the
// same work.
#pragma once

#include <SDL.h>
#include <cairo.h>
#include <pango/pangocairo.h>

namespace bench {

// Draws `text` on white at 20,20 into a 600 x 400 frame and presents it in
// `window`; `painted` runs between drawing and presenting. False when the
// window has no surface.
inline bool PresentTextLineFrame(SDL_Window* window, const char* text,
                                 void (*painted)() = nullptr) {
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return false;
  cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 600, 400);
  cairo_t* cr = cairo_create(frame);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("WenQuanYi Micro Hei 12");
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, text, -1);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  cairo_move_to(cr, 20, 20);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  if (painted) painted();
  cairo_destroy(cr);
  cairo_surface_flush(frame);
  SDL_LockSurface(target);
  SDL_ConvertPixels(600, 400, SDL_PIXELFORMAT_ARGB8888, cairo_image_surface_get_data(frame),
                    cairo_image_surface_get_stride(frame), target->format->format, target->pixels,
                    target->pitch);
  SDL_UnlockSurface(target);
  cairo_surface_destroy(frame);
  SDL_UpdateWindowSurface(window);
  return true;
}

}  // namespace bench
