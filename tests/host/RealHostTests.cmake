# Tests with real hosts. A sanitized plug-in needs the sanitizer runtime in the host, which a
# real host does not carry, so these run in the normal Linux build only.
if(NOT WIN32 AND NOT RIMBA_SANITIZE AND NOT RIMBA_TSAN)
    add_test(NAME ArdourScannerSeesAnInstrumentWithEighteenOutputs
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/ardour_scan_test.sh $<TARGET_FILE:RimbaDrums_64>
                     $<IF:$<BOOL:${RIMBA_PLUGIN_HAS_EDITOR}>,1,0>)
    set_tests_properties(ArdourScannerSeesAnInstrumentWithEighteenOutputs PROPERTIES TIMEOUT 180 LABELS linux-only)
endif()
