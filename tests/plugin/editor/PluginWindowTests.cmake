# The hosted plug-ins' editor windows and their program bar (plugin_windows_tests), with the
# fixture plug-in whose editor is an X11 window, beside an X server of their own.
rimba_add_test_program(plugin_windows_tests
    "${CMAKE_CURRENT_LIST_DIR}/plugin_windows_test.cpp;${CMAKE_CURRENT_LIST_DIR}/plugin_program_bar_test.cpp;${CMAKE_CURRENT_LIST_DIR}/toolkit/XTestHost.cpp"
    rimba_plugin_windows)
add_test(NAME plugin_windows_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:plugin_windows_tests> --gtest_brief=1)
set_tests_properties(plugin_windows_tests PROPERTIES TIMEOUT 300 LABELS linux-only
                     ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/controls/lsan.supp)

# Debian's MVerb and ZamEQ2 (scripts/install-deps.sh) in send 1 of a real instrument, their
# windows opened from the instrument's editor as a musician does.
rimba_add_test_program(real_plugin_windows_tests
    "${CMAKE_CURRENT_LIST_DIR}/real_plugin_windows_test.cpp;${CMAKE_CURRENT_LIST_DIR}/toolkit/XTestHost.cpp"
    rimba_editor ${RIMBA_TEST_ARTWORK})
add_test(NAME real_plugin_windows_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:real_plugin_windows_tests> --gtest_brief=1)
set_tests_properties(real_plugin_windows_tests PROPERTIES TIMEOUT 600 LABELS linux-only
                     ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/controls/lsan.supp)
