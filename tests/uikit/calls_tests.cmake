# Tests of the calls work of the skin UI framework (velmora_gui_test for anything that opens a window).
# Cross-thread calls and element timers against a real window on the test thread.
velmora_gui_test(test_uikit_calls
    WINDOWS uikit/calls/BkRunnableTest_win.cpp uikit/calls/BkWndTimerTest_win.cpp)
