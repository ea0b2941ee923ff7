# Cross-thread calls and element timers of host windows.
target_sources(velmora_win PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CBkWndMsgFunction_win.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBkWndTimerMgr_win.cpp
)
