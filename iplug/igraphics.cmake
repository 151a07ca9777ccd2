# The editor framework: the portable editor core and its controls, and the headless editor
# (no window; used off Windows and by the tests). The Windows editor window joins this library.
add_library(corvane_igraphics STATIC
  ${CMAKE_CURRENT_LIST_DIR}/IGraphics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IGraphicsHeadless.cpp
)
target_include_directories(corvane_igraphics PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvane_igraphics PUBLIC corvane_iplug corvane_drawing)

include(${CMAKE_CURRENT_LIST_DIR}/igraphicswin.cmake OPTIONAL)
