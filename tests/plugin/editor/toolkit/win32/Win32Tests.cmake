# The toolkit's Windows half. What needs no window runs with the other Windows tests; the frame's
# window, its input (xdotool on the Wine window) and the pop-ups run through Wine's X11 driver
# (label wine-gui, tests/support/with-wine-gui.sh).
set(here ${CMAKE_CURRENT_LIST_DIR})
rimba_add_test_program(toolkit_win32_tests "${here}/win32_toolkit_logic_test.cpp" rimba_toolkit_win32_logic)
gtest_discover_tests(toolkit_win32_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)

rimba_add_test_program(toolkit_win32_window_tests "${here}/win32_frame_window_test.cpp;${here}/win32_dialogs_test.cpp"
    rimba_toolkit)
rimba_add_wine_gui_test(toolkit_win32_window_tests toolkit_win32_window_tests --gtest_brief=1)
