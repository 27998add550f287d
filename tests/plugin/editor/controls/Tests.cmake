# The controls' arithmetic and behaviour without a display (controls_tests).
add_executable(controls_tests
    ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/control_logic_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/controls_behaviour_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/grid_gestures_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/knob_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/pattern_drawing_test.cpp)
target_link_libraries(controls_tests PRIVATE rimba_controls GTest::gtest GTest::gtest_main)
target_include_directories(controls_tests PRIVATE ${PROJECT_SOURCE_DIR})
# The value readout and the grid's marks draw text: cairo's font caches, as in the gallery.
gtest_discover_tests(controls_tests DISCOVERY_TIMEOUT 120 PROPERTIES LABELS editor-controls
                     ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/lsan.supp)

# The equaliser displays' curve over the engine's design (editor layer).
add_executable(editor_response_tests ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/equaliser_response_test.cpp)
target_link_libraries(editor_response_tests PRIVATE rimba_editor_response GTest::gtest GTest::gtest_main)
target_include_directories(editor_response_tests PRIVATE ${PROJECT_SOURCE_DIR})
gtest_discover_tests(editor_response_tests DISCOVERY_TIMEOUT 120 PROPERTIES LABELS editor-controls)

if(NOT WIN32)
    # The gallery: one of each control in a window of its own, printing what each reports; its test
    # drives it with xdotool on an X server of its own and reads its screenshot.
    add_executable(controls-gallery ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/gallery/gallery.cpp)
    target_link_libraries(controls-gallery PRIVATE rimba_editor_response rimba_controls)
    target_include_directories(controls-gallery PRIVATE ${PROJECT_SOURCE_DIR})
    add_test(NAME GalleryControlsReportDragsClicksMenuPicksTypedDigitsAndShowTheirFrames
             COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh
                     ${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/gallery/gallery_test.sh
                     $<TARGET_FILE:controls-gallery> ${CMAKE_BINARY_DIR}/plugin/editor/artwork/generated/png)
    set_tests_properties(GalleryControlsReportDragsClicksMenuPicksTypedDigitsAndShowTheirFrames PROPERTIES
                         TIMEOUT 120 LABELS "linux-only;editor-controls"
                         ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/lsan.supp)
endif()
