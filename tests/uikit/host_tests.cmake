# Tests of the host work of the skin UI framework (velmora_gui_test for anything that opens a window).
velmora_gui_test(test_uikit_host
    WINDOWS uikit/host/WindowLayerTest_win.cpp uikit/host/HostInputTest_win.cpp uikit/host/HostSizingTest_win.cpp
            uikit/host/HostModalTest_win.cpp uikit/host/HostPaintTest_win.cpp
            uikit/host/HostExtendTest_win.cpp data/uikit/host/host_test.rc)
if(WIN32)
    # The resource script names its documents and images relative to its folder.
    target_include_directories(test_uikit_host PRIVATE data/uikit/host)
    # Rebuild the resources when a document or image they embed changes.
    file(GLOB _embedded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/uikit/host/*.xml
         ${CMAKE_CURRENT_SOURCE_DIR}/data/uikit/host/*.png)
    set_property(SOURCE data/uikit/host/host_test.rc APPEND PROPERTY OBJECT_DEPENDS ${_embedded})
endif()
