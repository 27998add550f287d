# The ASIO driver catalog's, the sample conversions' and the ASIO output's tests (Windows build
# only), with a fixture driver of our own that the tests register in the prefix's registry as an
# installed driver is registered.
add_library(fixture-asio-driver MODULE ${CMAKE_CURRENT_LIST_DIR}/fixture_asio_driver.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/fixture-asio-driver.def)
target_include_directories(fixture-asio-driver PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(fixture-asio-driver PRIVATE ole32 uuid)
set_target_properties(fixture-asio-driver PROPERTIES PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/asio
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/asio)

add_executable(asio_tests ${CMAKE_CURRENT_LIST_DIR}/asio_driver_catalog_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/asio_abi_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/asio_sample_conversion_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/asio_output_test.cpp
                          ${PROJECT_SOURCE_DIR}/tests/host/TestHost.cpp
                          ${PROJECT_SOURCE_DIR}/tests/host/win32/UserLibrary.cpp
                          ${PROJECT_SOURCE_DIR}/tests/host/win32/UserStore.cpp)
target_include_directories(asio_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(asio_tests PRIVATE rimba_devices rimba_settings advapi32 GTest::gtest GTest::gmock GTest::gtest_main)
# The instrument itself plays through the fixture once, with its factory library beside it.
target_compile_definitions(asio_tests PRIVATE RIMBA_FIXTURE_ASIO_DRIVER="$<TARGET_FILE:fixture-asio-driver>"
    RIMBA_PLUGIN_PATH="$<TARGET_FILE:RimbaDrums_64>"
    RIMBA_FACTORY_LIBRARY="$<TARGET_FILE_DIR:RimbaDrums_64>/RimbaDrums_64-library")
add_dependencies(asio_tests fixture-asio-driver RimbaDrums_64)
# A driver that does not start leaves the output to wave-out, which plays into a capture file.
rimba_wave_out_home(asio_tests)
# The drivers are registered machine-wide in the prefix, where no other case may list them, and
# the instrument reads and writes the user's settings store, which the host tests share: one lock
# (the settings store's) keeps the cases apart from each other and from those tests.
gtest_discover_tests(asio_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300 RESOURCE_LOCK user-settings
                     ENVIRONMENT HOME=${asio_tests_HOME})
