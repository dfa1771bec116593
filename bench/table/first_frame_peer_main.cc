// The peer of the installer's start-up figures: the least a program needs
// to show one line of Chinese text with SDL2, cairo and pango. It starts SDL
// video, opens a 600 x 400 borderless window, draws one frame with one
// pango text line, presents it and prints
//   "first frame presented at <CLOCK_MONOTONIC ms> ms"
// on standard error, as the installer does under VARNIK_DEBUG=1. Then it
// waits for events until SIGTERM/SIGINT (SDL's quit event) or, with a first
// argument "--exit", ends at once.
#include <SDL.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <time.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("first frame peer", SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, 600, 400, SDL_WINDOW_BORDERLESS);
  SDL_Surface* target = window ? SDL_GetWindowSurface(window) : nullptr;
  if (!target) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    return 1;
  }
  cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 600, 400);
  cairo_t* cr = cairo_create(frame);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* font = pango_font_description_from_string("WenQuanYi Micro Hei 12");
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  pango_layout_set_text(layout, "VarnikPDF转换器 立即安装", -1);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  cairo_move_to(cr, 20, 20);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_flush(frame);
  SDL_LockSurface(target);
  SDL_ConvertPixels(600, 400, SDL_PIXELFORMAT_ARGB8888, cairo_image_surface_get_data(frame),
                    cairo_image_surface_get_stride(frame), target->format->format, target->pixels,
                    target->pitch);
  SDL_UnlockSurface(target);
  cairo_surface_destroy(frame);
  SDL_UpdateWindowSurface(window);

  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "first frame presented at %.3f ms\n",
               now.tv_sec * 1000.0 + now.tv_nsec / 1e6);
  std::fflush(stderr);

  const bool exit_now = argc > 1 && std::strcmp(argv[1], "--exit") == 0;
  SDL_Event event;
  while (!exit_now && SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) break;
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
