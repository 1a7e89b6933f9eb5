# CLI11, header-only, as the target plumo_cli11. Natively through its CMake
# package; in a cross build (mingw-w64) only its headers, copied out of the
# host's include folder so that the host's other headers stay out of the
# cross compiler's way. Visual Studio finds it where CMake finds packages
# (vcpkg, CMAKE_PREFIX_PATH); without it the programs that need it are left
# out.
if(TARGET plumo_cli11)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  find_path(PLUMO_CLI11_INCLUDE CLI/CLI.hpp NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  file(COPY ${PLUMO_CLI11_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11)
  add_library(plumo_cli11 INTERFACE)
  target_include_directories(plumo_cli11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11)
  return()
endif()
if(WIN32)
  find_package(CLI11 CONFIG)
else()
  find_package(CLI11 CONFIG REQUIRED)
endif()
if(CLI11_FOUND)
  add_library(plumo_cli11 INTERFACE)
  target_link_libraries(plumo_cli11 INTERFACE CLI11::CLI11)
endif()
