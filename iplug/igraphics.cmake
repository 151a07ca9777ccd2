# The editor framework: the portable editor core and its controls, and the headless editor
# (no window; used off Windows and by the tests). The Windows editor window joins this library.
add_library(corvane_igraphics STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IGraphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsHeadless.cpp
)
target_include_directories(corvane_igraphics PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvane_igraphics PUBLIC corvane_iplug corvane_drawing)

# The benchmark program links the libraries it finds when it is defined, after this folder;
# hand it the editor library once the whole tree has been read.
function(corvane_igraphics_link_bench)
  if(TARGET corvane_bench)
    target_link_libraries(corvane_bench PRIVATE corvane_igraphics)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL corvane_igraphics_link_bench)
include(${CMAKE_CURRENT_LIST_DIR}/igraphicswin.cmake OPTIONAL)
