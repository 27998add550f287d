# The standalone program's Windows devices under Wine, with the device tests every system shares:
# wave-out plays into ALSA's "file" plug-in (Wine's wave-out goes through ALSA, and each test
# program's home holds an .asoundrc that makes that plug-in the default device, writing a capture
# of the program's own); the WinMM MIDI input is fed through its driver callback, since Wine
# offers no MIDI input without the ALSA sequencer.
set(RIMBA_DEVICES_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})

# The program's home and the capture, as the Windows program reads it through Wine's drive of
# the whole file system.
function(rimba_wave_out_home program)
    set(home ${CMAKE_CURRENT_BINARY_DIR}/${program}-home)
    file(WRITE ${home}/.asoundrc
         "pcm.!default { type file slave.pcm \"null\" file \"${home}/played.raw\" format \"raw\" }\n")
    target_compile_definitions(${program} PRIVATE RIMBA_WAVE_OUT_CAPTURE="Z:${home}/played.raw")
    set(${program}_HOME ${home} PARENT_SCOPE)
endfunction()

add_executable(windows_devices_tests
    ${RIMBA_DEVICES_TEST_DIR}/wave_out_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/winmm_midi_input_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/output_conversion_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/midi_hand_over_test.cpp
    ${RIMBA_DEVICES_TEST_DIR}/allocation_test.cpp)
target_include_directories(windows_devices_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(windows_devices_tests PRIVATE rimba_devices winmm GTest::gtest GTest::gmock GTest::gtest_main)
rimba_wave_out_home(windows_devices_tests)
# Its wave-out tests play into the one file.
gtest_discover_tests(windows_devices_tests DISCOVERY_TIMEOUT 120
                     PROPERTIES TIMEOUT 120 RESOURCE_LOCK windows-devices-capture
                                ENVIRONMENT HOME=${windows_devices_tests_HOME})

# The instrument itself on wave-out: it reads and writes the user's settings store (the prefix's
# registry), which the host tests share.
add_executable(instrument_wave_out_tests
    ${RIMBA_DEVICES_TEST_DIR}/instrument_wave_out_test.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/TestHost.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/win32/UserLibrary.cpp
    ${PROJECT_SOURCE_DIR}/tests/host/win32/UserStore.cpp)
target_include_directories(instrument_wave_out_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(instrument_wave_out_tests PRIVATE rimba_devices rimba_settings winmm
                      GTest::gtest GTest::gmock GTest::gtest_main)
target_compile_definitions(instrument_wave_out_tests PRIVATE
    RIMBA_PLUGIN_PATH="$<TARGET_FILE:RimbaDrums_64>"
    RIMBA_FACTORY_LIBRARY="$<TARGET_FILE_DIR:RimbaDrums_64>/RimbaDrums_64-library")
add_dependencies(instrument_wave_out_tests RimbaDrums_64)
rimba_wave_out_home(instrument_wave_out_tests)
gtest_discover_tests(instrument_wave_out_tests DISCOVERY_TIMEOUT 120
                     PROPERTIES TIMEOUT 120 RESOURCE_LOCK user-settings
                                ENVIRONMENT HOME=${instrument_wave_out_tests_HOME})
