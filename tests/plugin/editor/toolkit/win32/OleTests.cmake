# OLE drag and drop of files (plugin/editor/toolkit/win32/OleDragDrop.h), Windows only. The file
# lists, the paths and OLE's set-up need no window that can be seen and run with the others; the
# drags run between windows on an Xvfb of their own in a Wine prefix with the X11 driver
# (tests/support/with-wine-gui.sh), moved and released there by xdotool, and are labelled wine-gui.
rimba_add_test_program(ole_drop_files_tests
    "${CMAKE_CURRENT_LIST_DIR}/drop_files_test.cpp;${CMAKE_CURRENT_LIST_DIR}/ole_thread_test.cpp" rimba_toolkit_ole)
gtest_discover_tests(ole_drop_files_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)

rimba_add_test_program(ole_drag_drop_gui_tests "${CMAKE_CURRENT_LIST_DIR}/ole_drag_drop_test.cpp" rimba_toolkit_ole)
rimba_add_wine_gui_test(ole_drag_drop_gui_tests ole_drag_drop_gui_tests --gtest_brief=1)
