# Dialog host: the small window layer, the view host, painting, input, sizing, shadow and rounded frame.
target_sources(velmora_win PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BkAppModule_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkDwm_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkMessageLoop_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkShadowDrawable_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkWinManager_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkWindowBase_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BkWndClass_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkDialogViewBase_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkDialogViewInput_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkDialogViewModal_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkViewImpl_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CShadowWnd_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CWHRoundRectFrameHelper_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WndShadowHelper_win.cpp
)
# Tooltips.
target_link_libraries(velmora_win PUBLIC comctl32)
