# The embedded artwork: decoded with libpng, independently of the cairo that drew it, and the
# generator run again to show it writes the same bytes.
find_package(PNG REQUIRED)
add_executable(artwork_tests ${CMAKE_CURRENT_LIST_DIR}/artwork_test.cpp)
target_link_libraries(artwork_tests PRIVATE rimba_artwork PNG::PNG GTest::gtest GTest::gtest_main)
target_include_directories(artwork_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(artwork_tests PRIVATE RIMBA_MAKE_ARTWORK="$<TARGET_FILE:make-artwork>")
add_dependencies(artwork_tests make-artwork)
gtest_discover_tests(artwork_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
