# Element model: objects, elements, containers, the handle registry and the built-in element types.
target_sources(velmora_win PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BkBuiltinElements_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkElementRegistry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkButton_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkDialog_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkImageWnd_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkLink_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkObject.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkStatic_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkWindow_win.cpp
)
