# The toolkit's Windows half. What needs no window runs with the other Windows tests; the frame's
# window, its input (xdotool on the Wine window) and the pop-ups run through Wine's X11 driver
# (label wine-gui, scripts/wine-gui-run.sh).
set(here ${CMAKE_CURRENT_LIST_DIR})
rimba_add_test_program(toolkit_win32_tests "${here}/win32_toolkit_logic_test.cpp" rimba_toolkit_win32_logic)
gtest_discover_tests(toolkit_win32_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
