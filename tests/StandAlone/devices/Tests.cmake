# The standalone program's devices. devices_tests needs no server: the conversions, the MIDI
# queue and hand-over, the audio thread's allocations, the ALSA path into a file device of the
# test's own, the ALSA sequencer's quiet failure. devices_jack_tests runs beside a JACK server
# of its own (dummy driver at 48000 Hz, so the server's rate differs from the plug-in's 44100).
set(RIMBA_DEVICES_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR}/StandAlone/devices)
rimba_add_test_program(devices_tests
    "${RIMBA_DEVICES_TEST_DIR}/output_conversion_test.cpp;${RIMBA_DEVICES_TEST_DIR}/midi_hand_over_test.cpp;${RIMBA_DEVICES_TEST_DIR}/allocation_test.cpp;${RIMBA_DEVICES_TEST_DIR}/alsa_output_test.cpp;${RIMBA_DEVICES_TEST_DIR}/sequencer_input_test.cpp"
    rimba_devices)
gtest_discover_tests(devices_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 LABELS linux-only)

rimba_add_test_program(devices_jack_tests
    "${RIMBA_DEVICES_TEST_DIR}/jack_devices_test.cpp;${RIMBA_DEVICES_TEST_DIR}/JackTestClient.cpp"
    rimba_devices)
add_test(NAME JackDevicesPlayAndTakeMidiBesideARealServer
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-jack.sh -r 48000 -p 256 $<TARGET_FILE:devices_jack_tests>)
set_tests_properties(JackDevicesPlayAndTakeMidiBesideARealServer PROPERTIES TIMEOUT 180 LABELS linux-only)
