# The standalone program's Windows devices under Wine, with the device tests every system shares:
# wave-out plays into ALSA's "file" plug-in (Wine's wave-out goes through ALSA, and the tests'
# home holds an .asoundrc that makes that plug-in the default device); the WinMM MIDI input is fed
# through its driver callback, since Wine offers no MIDI input without the ALSA sequencer.
set(RIMBA_DEVICES_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})
set(RIMBA_WAVE_OUT_HOME ${CMAKE_CURRENT_BINARY_DIR}/wave-out-home)
file(WRITE ${RIMBA_WAVE_OUT_HOME}/.asoundrc
     "pcm.!default { type file slave.pcm \"null\" file \"${RIMBA_WAVE_OUT_HOME}/played.raw\" format \"raw\" }\n")

add_executable(windows_devices_tests
    ${RIMBA_DEVICES_TEST_DIR}/wave_out_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/winmm_midi_input_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/output_conversion_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/midi_hand_over_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/allocation_test.cpp)
target_include_directories(windows_devices_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(windows_devices_tests PRIVATE rimba_devices winmm GTest::gtest GTest::gmock GTest::gtest_main)
# The capture as the Windows program reads it, through Wine's drive of the whole file system.
target_compile_definitions(windows_devices_tests PRIVATE RIMBA_WAVE_OUT_CAPTURE="Z:${RIMBA_WAVE_OUT_HOME}/played.raw")
# Every wave-out test plays into the one file.
gtest_discover_tests(windows_devices_tests DISCOVERY_TIMEOUT 120
                     PROPERTIES TIMEOUT 120 RESOURCE_LOCK wave-out-file ENVIRONMENT HOME=${RIMBA_WAVE_OUT_HOME})
