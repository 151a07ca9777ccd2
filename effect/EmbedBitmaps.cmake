# Writes the editor's PNG files as byte arrays into a C++ source, so that an editor without
# module resources (the headless editor) decodes the very bytes a Windows module carries.
# Run as: cmake -DOUTPUT=<file.cpp> -DINPUTS=<name=path|name=path|...> -P EmbedBitmaps.cmake
# Each name becomes the array kEmbeddedPng_<name> and its size kEmbeddedPngSize_<name>.
if(NOT OUTPUT OR NOT INPUTS)
  message(FATAL_ERROR "EmbedBitmaps.cmake: OUTPUT and INPUTS are required")
endif()

set(text "// Generated from resources/img by effect/EmbedBitmaps.cmake; do not edit.\n")
string(APPEND text "#include \"effect/VemtraCorvaneBitmaps.h\"\n\n")
string(REPLACE "|" ";" INPUTS "${INPUTS}")
foreach(entry IN LISTS INPUTS)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes a line.
  string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
  string(APPEND text "extern const unsigned char kEmbeddedPng_${name}[] = {\n  ${bytes}\n};\n")
  string(APPEND text "extern const int kEmbeddedPngSize_${name} = ${size};\n\n")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
