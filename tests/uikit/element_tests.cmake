# Tests of the element work of the skin UI framework (velmora_gui_test for anything that opens a window).
