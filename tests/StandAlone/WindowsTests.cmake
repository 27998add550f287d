# RimbaDrums.exe's tests under Wine: the program started as a process against the logging
# fixture plug-in built as a DLL (fixture/), its window found and closed through the window
# manager of the test's own Wine prefix (the null graphics driver shows nothing, but windows,
# their sizes and their messages are all there). Included by tests/CMakeLists.txt on Windows.
include(${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/fixture/Fixture.cmake)

rimba_add_test_program(standalone_win32_tests
    "${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/win32/program_win32_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/ProgramRun.cpp;${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/win32/ProgramRun.cpp"
    rimba_standalone advapi32 user32 gdi32)
target_compile_definitions(standalone_win32_tests PRIVATE
    RIMBA_STANDALONE_PROGRAM="$<TARGET_FILE:RimbaDrums>"
    RIMBA_STANDALONE_FIXTURE_DIR="${RIMBA_STANDALONE_FIXTURE_DIR}")
add_dependencies(standalone_win32_tests RimbaDrums standalone-fixture-both standalone-fixture-main-only)
# The program plays through the wave mapper into a capture file of its own (see
# devices/WindowsTests.cmake).
rimba_wave_out_home(standalone_win32_tests)
# Each case sets the program's PluginPath in the prefix's registry, which the plug-in's own tests
# write too.
gtest_discover_tests(standalone_win32_tests DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES PROPERTIES TIMEOUT 120
                     RESOURCE_LOCK user-settings ENVIRONMENT HOME=${standalone_win32_tests_HOME})
