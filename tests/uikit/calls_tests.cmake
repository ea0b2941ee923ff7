# Tests of the calls work of the skin UI framework (velmora_gui_test for anything that opens a window).
