# The Windows editor window. Its portable decisions (keys, mouse, wheel, timer, the entry box's
# states and filter, folders, resource names, menu numbering) are a small library built
# everywhere; the window itself is built for Windows only.
add_library(corvane_igraphicswin_logic STATIC ${CMAKE_CURRENT_LIST_DIR}/IGraphicsWinLogic.cpp)
target_include_directories(corvane_igraphicswin_logic PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(corvane_igraphicswin_logic PUBLIC corvane_iplug)

if(CORVANE_WINDOWS)
  add_library(corvane_igraphicswin STATIC
    ${CMAKE_CURRENT_LIST_DIR}/IGraphicsWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IGraphicsWinMenu.cpp
  )
  target_include_directories(corvane_igraphicswin PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(corvane_igraphicswin PUBLIC
    corvane_igraphics corvane_igraphicswin_logic
    user32 gdi32 comdlg32 comctl32 shell32 wininet)
endif()
