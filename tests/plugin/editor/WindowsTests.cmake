# The Windows DLL's editor in a Win32 host of the test's own, shown through Wine's X11 driver on
# an Xvfb of its own (tests/support/with-wine-gui.sh). The host compares the window with the artwork
# generator's PNG files where the companion's layout (rimbadrums-tool.exe editor --layout) puts
# no view, as the Linux host test does.
set(here ${CMAKE_CURRENT_LIST_DIR})
rimba_add_test_program(editor_window_host_tests
    "${here}/host/win32/editor_window_host_test.cpp;${PROJECT_SOURCE_DIR}/tests/host/TestHost.cpp;${PROJECT_SOURCE_DIR}/tests/host/win32/UserStore.cpp"
    rimba_vst rimba_platform rimba_settings gdiplus)
target_compile_definitions(editor_window_host_tests PRIVATE
    RIMBA_EDITOR_TOOL_PATH="$<TARGET_FILE:rimbadrums-tool>"
    RIMBA_ARTWORK_PNG_DIR="${CMAKE_BINARY_DIR}/plugin/editor/artwork/generated/png")
add_dependencies(editor_window_host_tests RimbaDrums_64 rimbadrums-tool)
rimba_add_wine_gui_test(editor_window_host_tests editor_window_host_tests --gtest_brief=1)

# The same host driven by xdotool: a click on a step, a drag on a knob and a file dropped from a
# drag of the test's own (OLE) land where the companion's layout puts the controls.
rimba_add_test_program(editor_input_host_tests
    "${here}/host/win32/editor_input_host_test.cpp;${PROJECT_SOURCE_DIR}/tests/host/TestHost.cpp;${PROJECT_SOURCE_DIR}/tests/host/win32/UserStore.cpp"
    rimba_vst rimba_files rimba_platform rimba_settings ole32 shell32 uuid)
target_compile_definitions(editor_input_host_tests PRIVATE RIMBA_EDITOR_TOOL_PATH="$<TARGET_FILE:rimbadrums-tool>")
add_dependencies(editor_input_host_tests RimbaDrums_64 rimbadrums-tool)
rimba_add_wine_gui_test(editor_input_host_tests editor_input_host_tests --gtest_brief=1)

# The editor's menus and their actions against a real instrument, with scripted dialogs: no
# display, as on Linux (plugin/editor/Tests.cmake).
file(GLOB RIMBA_EDITOR_MENU_TEST_SOURCES CONFIGURE_DEPENDS ${here}/menus/*.cpp)
rimba_add_test_program(editor_menus_tests
    "${RIMBA_EDITOR_MENU_TEST_SOURCES};${PROJECT_SOURCE_DIR}/tests/plugin/core/CoreFixture.cpp" rimba_editor_menus)
gtest_discover_tests(editor_menus_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
