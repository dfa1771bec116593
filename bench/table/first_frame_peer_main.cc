// The peer of the installer's start-up figures: the least a program needs
// to show one line of Chinese text with SDL2, cairo and pango. It starts SDL
// video, opens a 600 x 400 borderless window, draws one frame with one
// pango text line, presents it and prints
//   "first frame presented at <CLOCK_MONOTONIC ms> ms"
// on standard error, as the installer does under VARNIK_DEBUG=1, after the
// start-up steps it shares with the installer ("startup main", "startup
// backend up", "startup native window created", "startup first paint").
// Then it waits for events until SIGTERM/SIGINT (SDL's quit event) or, with a first
// argument "--exit", ends at once.
#include <SDL.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <time.h>

#include <cstdio>
#include <cstring>

#include "bench/common/peer_frame.h"

namespace {

void TimeMark(const char* what) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "%s at %.3f ms\n", what, now.tv_sec * 1000.0 + now.tv_nsec / 1e6);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  TimeMark("startup main");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
    return 1;
  }
  TimeMark("startup backend up");
  SDL_Window* window = SDL_CreateWindow("first frame peer", SDL_WINDOWPOS_UNDEFINED,
                                        SDL_WINDOWPOS_UNDEFINED, 600, 400, SDL_WINDOW_BORDERLESS);
  TimeMark("startup native window created");
  if (!window || !bench::PresentTextLineFrame(window, "VarnikPDF转换器 立即安装",
                                              [] { TimeMark("startup first paint"); })) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    return 1;
  }
  TimeMark("first frame presented");

  const bool exit_now = argc > 1 && std::strcmp(argv[1], "--exit") == 0;
  SDL_Event event;
  while (!exit_now && SDL_WaitEvent(&event)) {
    if (event.type == SDL_QUIT) break;
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
