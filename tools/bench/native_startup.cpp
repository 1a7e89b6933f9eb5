// What the native program's entry does before WinMain, for the benchmark's
// own programs: their measurements should see the start-up `plumo` has, as
// the Windows build's see what Windows (or Wine) does before its WinMain.
// Their frames are measured as fast as they are drawn, as with --no-vsync.
#include "platform/core/options.h"
#include "platform/native/fonts/native_fonts.h"
#include "platform/native/window_system/gl_warm_up.h"
#include "platform/native/window_system/sdl_backend.h"

namespace {

const bool started =
    (core::LayerOptions().vsync = false, native::window_system::PrepareEnvironment(),
     native::window_system::StartGlWarmUp(), native::fonts::WarmUpFonts(), true);

}  // namespace
