# What `cpack` makes from an installed tree: a Debian package of the native
# build (the release preset) and a zip of the Windows program (the windows
# preset). Both carry PROJECT_VERSION.
set(CPACK_PACKAGE_NAME plumo)
set(CPACK_PACKAGE_VENDOR "The Plumo developers")
set(CPACK_PACKAGE_CONTACT "${PLUMO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time OpenGL demo: a rippling grid with captions")
# The long description in lines the package tools show as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Plumo plays an endless 24-second scene: a 20x20 grid of triangles seen"
  "from above at an angle, rippling and pulsing in colour, with a one-line"
  "caption that changes every two seconds. Its 640x480 picture at 16 bits"
  "per pixel is shown fullscreen, scaled to the screen with its aspect kept,"
  "without changing the display's mode. It is plain Win32 and OpenGL 1.1"
  "code, run by a layer of its own over SDL2, FreeType, fontconfig and Mesa."
  ""
  "On X11 it also runs as a hack of the X screensaver daemon, drawing into"
  "the daemon's window."
  ""
  "The package also holds plumo-capture, which records the demo frame by"
  "frame on a fixed-step clock as PNG files, an animated GIF or a video.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME plumo-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # A demo belongs to "games", whose programs Debian keeps in /usr/games; these
  # install in bin/ like any program, beside a recording tool.
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PLUMO_PROJECT_URL})
  # Libraries from the binaries; the caption's face by its metrics ("Arial").
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2 | fonts-liberation")
  # plumo is also a hack of the X screensaver daemon.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
