# Tests of the element work of the skin UI framework (velmora_gui_test for anything that opens a window).
velmora_gui_test(test_uikit_element
    PORTABLE uikit/element/BkElementRulesTest.cpp
    WINDOWS uikit/element/ElementModelTest_win.cpp uikit/element/ElementPaintTest_win.cpp
            data/uikit/element/element_test.rc)
if(WIN32)
    # The resource script names the shared test images relative to tests/data/uikit.
    target_include_directories(test_uikit_element PRIVATE data/uikit)
endif()
