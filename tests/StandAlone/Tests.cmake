# The standalone program's tests: the program itself, run under an X server of its own, against
# a fixture plug-in named like the instrument (fixture/), and the instrument's own side of the
# program's settings. Included by tests/CMakeLists.txt on Linux.

find_package(X11 REQUIRED)

# The command line, read by its parser alone: nothing starts, so no servers.
rimba_add_test_program(standalone_command_line_tests ${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/command_line_test.cpp
                       rimba_standalone)
gtest_discover_tests(standalone_command_line_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60 LABELS linux-only)

include(${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/fixture/Fixture.cmake)

# The JACK tests make a client of their own (a MIDI source that never activates).
find_package(PkgConfig REQUIRED)
pkg_check_modules(RIMBA_TEST_JACK REQUIRED IMPORTED_TARGET jack)
rimba_add_test_program(standalone_tests "${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/program_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/jack_test.cpp;${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/ProgramRun.cpp;${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/posix/ProgramRun.cpp"
                       rimba_settings rimba_platform rimba_vst X11::X11 PkgConfig::RIMBA_TEST_JACK)
target_compile_definitions(standalone_tests PRIVATE
    RIMBA_STANDALONE_PROGRAM="$<TARGET_FILE:RimbaDrums>"
    RIMBA_STANDALONE_FIXTURE_DIR="${RIMBA_STANDALONE_FIXTURE_DIR}")
add_dependencies(standalone_tests RimbaDrums RimbaDrums_64 standalone-fixture-both standalone-fixture-main-only)
# Every case gets an X server and a JACK server of its own (48000 Hz, 256-frame periods: not the
# plug-in's 44100 and 512, so a test sees whose values are in force).
set_target_properties(standalone_tests PROPERTIES
    CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_SOURCE_DIR}/support/with-xvfb.sh;${CMAKE_CURRENT_SOURCE_DIR}/support/with-jack.sh;-r;48000;-p;256")
# The real instrument's editor draws text: its font caches need the editor tests' LeakSanitizer
# suppressions in the program the tests start.
gtest_discover_tests(standalone_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 120 LABELS linux-only
                     ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/plugin/editor/controls/lsan.supp")

# The real-instrument test copies the factory library.
add_dependencies(standalone_tests factory_library)
