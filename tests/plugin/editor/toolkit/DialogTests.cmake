# The toolkit's pop-ups and dialogs. The models' tests need no display; the window tests drive a
# small program of their own under Xvfb with xdotool.
set(here ${CMAKE_CURRENT_LIST_DIR})
rimba_add_test_program(toolkit_dialog_tests
    "${here}/menu_model_test.cpp;${here}/text_edit_model_test.cpp;${here}/tooltip_tracker_test.cpp;${here}/file_selector_model_test.cpp"
    rimba_toolkit)
gtest_discover_tests(toolkit_dialog_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
