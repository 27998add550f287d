# The editor's tests: its idle work against a real instrument in the process (editor_tests), and
# the built plug-in's editor in a test host of Xlib's that loads it as a host does
# (editor_host_tests). Both run beside an X server of their own (tests/support/with-xvfb.sh).
#
# The host test compares the editor's window with the artwork generator's own PNG files where the
# companion's layout (rimbadrums-tool editor --layout) puts no view.

rimba_add_test_program(editor_tests "${CMAKE_CURRENT_LIST_DIR}/editor_idle_test.cpp;${CMAKE_CURRENT_LIST_DIR}/editor_controls_test.cpp;${CMAKE_CURRENT_LIST_DIR}/editor_commands_test.cpp;${CMAKE_CURRENT_LIST_DIR}/control_value_text_test.cpp;${CMAKE_CURRENT_LIST_DIR}/editor_value_readout_test.cpp;${CMAKE_CURRENT_LIST_DIR}/toolkit/XTestHost.cpp" rimba_editor ${RIMBA_TEST_ARTWORK})
add_test(NAME editor_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:editor_tests> --gtest_brief=1)
# The whole window writes text: cairo's and fontconfig's font caches, as in the controls' tests.
set(RIMBA_EDITOR_LSAN LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/controls/lsan.supp)
set_tests_properties(editor_tests PROPERTIES TIMEOUT 300 LABELS linux-only ENVIRONMENT ${RIMBA_EDITOR_LSAN})

file(GLOB RIMBA_EDITOR_HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/host/*.cpp)
rimba_add_test_program(editor_host_tests
    "${RIMBA_EDITOR_HOST_TEST_SOURCES};${PROJECT_SOURCE_DIR}/tests/plugin/editor/toolkit/XTestHost.cpp"
    rimba_platform rimba_settings PkgConfig::RIMBA_TOOLKIT_DEPS)
target_compile_definitions(editor_host_tests PRIVATE
    RIMBA_EDITOR_PLUGIN_PATH="$<TARGET_FILE:RimbaDrums_64>"
    RIMBA_EDITOR_TOOL_PATH="$<TARGET_FILE:rimbadrums-tool>"
    RIMBA_ARTWORK_PNG_DIR="${CMAKE_BINARY_DIR}/plugin/editor/artwork/generated/png")
# The companion tells where the editor's views lie (editor --layout).
add_dependencies(editor_host_tests RimbaDrums_64 rimbadrums-tool)
add_test(NAME editor_host_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:editor_host_tests> --gtest_brief=1)
set_tests_properties(editor_host_tests PROPERTIES TIMEOUT 600 LABELS linux-only ENVIRONMENT ${RIMBA_EDITOR_LSAN})

# The editor's menus and their actions against a real instrument, with scripted dialogs: no
# display needed.
file(GLOB RIMBA_EDITOR_MENU_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/menus/*.cpp)
rimba_add_test_program(editor_menus_tests
    "${RIMBA_EDITOR_MENU_TEST_SOURCES};${PROJECT_SOURCE_DIR}/tests/plugin/core/CoreFixture.cpp" rimba_editor_menus)
add_test(NAME editor_menus_tests COMMAND editor_menus_tests --gtest_brief=1)
set_tests_properties(editor_menus_tests PROPERTIES TIMEOUT 300 LABELS linux-only)

# The whole window driven with the mouse (xdotool) in a host of the test's own: the built
# plug-in's editor, the companion's listing of where its controls sit, and the plug-in's own
# interface (and the settings store it writes) to read back what the clicks did; files dropped
# on it and dragged out of it meet the XDND peers of the toolkit's tests. It idles an editor on a playing instrument for a
# minute, hence its time limit.
rimba_add_test_program(editor_window_tests
    "${CMAKE_CURRENT_LIST_DIR}/window/editor_window_test.cpp;${PROJECT_SOURCE_DIR}/tests/plugin/editor/toolkit/XTestHost.cpp;${PROJECT_SOURCE_DIR}/tests/plugin/editor/toolkit/XdndPeers.cpp"
    rimba_files rimba_platform rimba_settings rimba_toolkit PkgConfig::RIMBA_TOOLKIT_DEPS)
target_compile_definitions(editor_window_tests PRIVATE
    RIMBA_EDITOR_PLUGIN_PATH="$<TARGET_FILE:RimbaDrums_64>"
    RIMBA_COMPANION_PATH="$<TARGET_FILE:rimbadrums-tool>")
add_dependencies(editor_window_tests RimbaDrums_64 rimbadrums-tool)
add_test(NAME editor_window_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:editor_window_tests> --gtest_brief=1)
set_tests_properties(editor_window_tests PROPERTIES TIMEOUT 900 LABELS linux-only ENVIRONMENT ${RIMBA_EDITOR_LSAN})
