# The editor's tests: its idle work against a real instrument in the process (editor_tests), and
# the built plug-in's editor in a test host of Xlib's that loads it as a host does
# (editor_host_tests). Both run beside an X server of their own (tests/support/with-xvfb.sh).
#
# The plug-in under test is RimbaDrums_64 when it carries the editor (its artwork library is
# built); until then, the same plug-in built with the tests' stand-in artwork.
if(RIMBA_PLUGIN_HAS_EDITOR)
    set(RIMBA_EDITOR_PLUGIN RimbaDrums_64)
else()
    set(RIMBA_EDITOR_PLUGIN RimbaDrums_64_standin_artwork)
    rimba_add_plugin(${RIMBA_EDITOR_PLUGIN} ON)
    target_link_libraries(${RIMBA_EDITOR_PLUGIN} PRIVATE rimba_standin_artwork)
    # The plug-in's own name, in a folder of its own.
    set_target_properties(${RIMBA_EDITOR_PLUGIN} PROPERTIES OUTPUT_NAME RimbaDrums_64
                          LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/editor-plugin)
endif()

rimba_add_test_program(editor_tests "${CMAKE_CURRENT_LIST_DIR}/editor_idle_test.cpp" rimba_editor ${RIMBA_TEST_ARTWORK})
add_test(NAME editor_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:editor_tests> --gtest_brief=1)
set_tests_properties(editor_tests PROPERTIES TIMEOUT 300 LABELS linux-only)

file(GLOB RIMBA_EDITOR_HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/host/*.cpp)
rimba_add_test_program(editor_host_tests
    "${RIMBA_EDITOR_HOST_TEST_SOURCES};${PROJECT_SOURCE_DIR}/tests/plugin/editor/toolkit/XTestHost.cpp"
    rimba_platform rimba_settings PkgConfig::RIMBA_TOOLKIT_DEPS)
target_compile_definitions(editor_host_tests PRIVATE RIMBA_EDITOR_PLUGIN_PATH="$<TARGET_FILE:${RIMBA_EDITOR_PLUGIN}>")
add_dependencies(editor_host_tests ${RIMBA_EDITOR_PLUGIN})
if(NOT RIMBA_PLUGIN_HAS_EDITOR)
    # The colours it is drawn in are known: the test looks for them.
    target_compile_definitions(editor_host_tests PRIVATE RIMBA_STANDIN_ARTWORK=1)
endif()
add_test(NAME editor_host_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:editor_host_tests> --gtest_brief=1)
set_tests_properties(editor_host_tests PROPERTIES TIMEOUT 600 LABELS linux-only)

# Ardour's scanner on the plug-in with its editor (RealHostTests.cmake checks RimbaDrums_64 itself).
if(NOT RIMBA_PLUGIN_HAS_EDITOR AND NOT RIMBA_SANITIZE AND NOT RIMBA_TSAN)
    add_test(NAME ArdourScannerSeesTheEditor
             COMMAND ${PROJECT_SOURCE_DIR}/tests/host/ardour_scan_test.sh $<TARGET_FILE:${RIMBA_EDITOR_PLUGIN}> 1)
    set_tests_properties(ArdourScannerSeesTheEditor PROPERTIES TIMEOUT 180 LABELS linux-only)
endif()
