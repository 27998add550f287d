# The hosted plug-ins' editor windows on Windows, with the fixture plug-in whose editor is a
# Win32 child window, shown through Wine's X11 driver on an Xvfb of their own
# (tests/support/with-wine-gui.sh).
set(here ${CMAKE_CURRENT_LIST_DIR})
rimba_add_test_program(plugin_windows_win32_tests "${here}/win32/plugin_windows_win32_test.cpp" rimba_plugin_windows)
rimba_add_wine_gui_test(plugin_windows_win32_tests plugin_windows_win32_tests --gtest_brief=1)
