# Tests of the element work of the skin UI framework (velmora_gui_test for anything that opens a window).
velmora_gui_test(test_uikit_element
    PORTABLE uikit/element/BkElementRulesTest.cpp
    WINDOWS uikit/element/ElementModelTest_win.cpp uikit/element/ElementPaintTest_win.cpp
            data/uikit/element/element_test.rc)
if(WIN32)
    # The resource script names the shared test images relative to tests/data/uikit.
    target_include_directories(test_uikit_element PRIVATE data/uikit)
    # Rebuild the resources when a document or image they embed changes.
    file(GLOB _embedded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/uikit/element/*.xml
         ${CMAKE_CURRENT_SOURCE_DIR}/data/uikit/*.png)
    set_property(SOURCE data/uikit/element/element_test.rc APPEND PROPERTY OBJECT_DEPENDS ${_embedded})
endif()
