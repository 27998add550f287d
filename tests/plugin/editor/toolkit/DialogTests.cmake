# The toolkit's pop-ups and dialogs (sources in dialogs/, apart from the toolkit's own tests). The
# models' tests need no display; the window tests drive a small program of their own under Xvfb
# with xdotool. The artwork comes as for the toolkit's tests (Tests.cmake, included before).
set(here ${CMAKE_CURRENT_LIST_DIR}/dialogs)
set(RIMBA_DIALOG_LSAN LSAN_OPTIONS=suppressions=${here}/lsan.supp)
rimba_add_test_program(toolkit_dialog_tests
    "${here}/menu_model_test.cpp;${here}/text_edit_model_test.cpp;${here}/tooltip_tracker_test.cpp;${here}/file_selector_model_test.cpp;${here}/controls_test.cpp;${here}/desktop_file_dialog_test.cpp"
    rimba_toolkit ${RIMBA_TEST_ARTWORK})
gtest_discover_tests(toolkit_dialog_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ENVIRONMENT ${RIMBA_DIALOG_LSAN})

# The window tests: a program that opens a frame in a window of its own, driven by xdotool.
add_executable(dialog_demo ${here}/dialog_demo.cpp)
target_link_libraries(dialog_demo PRIVATE rimba_toolkit ${RIMBA_TEST_ARTWORK})
target_include_directories(dialog_demo PRIVATE ${PROJECT_SOURCE_DIR})
add_test(NAME DialogWindowsPickMenuEntriesTakeTypedTextOpenFilesAndCloseMessages
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh ${here}/dialog_windows_test.sh
                 $<TARGET_FILE:dialog_demo>)
set_tests_properties(DialogWindowsPickMenuEntriesTakeTypedTextOpenFilesAndCloseMessages PROPERTIES
                     TIMEOUT 120 LABELS linux-only ENVIRONMENT ${RIMBA_DIALOG_LSAN})

# The tooltip's window, on an X server of the test's own.
rimba_add_test_program(toolkit_dialog_window_tests "${here}/tooltip_window_test.cpp" rimba_toolkit ${RIMBA_TEST_ARTWORK})
add_test(NAME toolkit_dialog_window_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:toolkit_dialog_window_tests> --gtest_brief=1)
set_tests_properties(toolkit_dialog_window_tests PROPERTIES TIMEOUT 120 LABELS linux-only ENVIRONMENT ${RIMBA_DIALOG_LSAN})
