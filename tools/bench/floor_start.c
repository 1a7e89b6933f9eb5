// The start-up floor: the least a Linux program does to put one GL frame on
// the screen. SDL opens a window with a GL context, the frame is cleared and
// presented, and the program ends.
#include <SDL.h>
#include <SDL_opengl.h>
#include <stdio.h>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    fprintf(stderr, "floor_start: SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("floor", 0, 0, 640, 480, SDL_WINDOW_OPENGL);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : NULL;
  if (!context) {
    fprintf(stderr, "floor_start: no window or GL context: %s\n", SDL_GetError());
    SDL_Quit();
    return 1;
  }
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapWindow(window);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
