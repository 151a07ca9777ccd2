# GoogleTest from the sources Debian's googletest package installs (both native and mingw),
# libpng and zlib (native packages, or the cross-built libpng in .deps for mingw).

set(CORVANE_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${CORVANE_GTEST_SRC} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
endif()

if(CORVANE_WINDOWS)
  if(CORVANE_X86)
    set(_triple i686-w64-mingw32)
  else()
    set(_triple x86_64-w64-mingw32)
  endif()
  set(CORVANE_DEPS_DIR ${CMAKE_SOURCE_DIR}/.deps/${_triple} CACHE PATH "cross-built dependencies")
  if(NOT EXISTS ${CORVANE_DEPS_DIR}/lib/libpng16.a)
    message(FATAL_ERROR "libpng for ${_triple} is missing: run tools/setup.sh")
  endif()
  add_library(corvane_png STATIC IMPORTED GLOBAL)
  set_target_properties(corvane_png PROPERTIES
    IMPORTED_LOCATION ${CORVANE_DEPS_DIR}/lib/libpng16.a
    INTERFACE_INCLUDE_DIRECTORIES ${CORVANE_DEPS_DIR}/include
    INTERFACE_LINK_LIBRARIES /usr/${_triple}/lib/libz.a)
else()
  find_package(PNG REQUIRED)
  add_library(corvane_png INTERFACE)
  target_link_libraries(corvane_png INTERFACE PNG::PNG)
endif()
