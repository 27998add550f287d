# The editor toolkit's tests: its logic without a window, bitmaps, and the frame in an X server
# of its own (tests/support/with-xvfb.sh). They draw with a stand-in of images of their own whose
# every pixel they know, so that the toolkit is tested apart from how the artwork looks.
add_library(rimba_standin_artwork OBJECT ${CMAKE_CURRENT_LIST_DIR}/StandinArtwork.cpp)
target_include_directories(rimba_standin_artwork PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(rimba_standin_artwork PRIVATE PkgConfig::RIMBA_TOOLKIT_DEPS)
set(RIMBA_TEST_ARTWORK rimba_standin_artwork)

file(GLOB RIMBA_TOOLKIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(FILTER RIMBA_TOOLKIT_TEST_SOURCES EXCLUDE REGEX "/StandinArtwork\\.cpp$")
rimba_add_test_program(toolkit_tests "${RIMBA_TOOLKIT_TEST_SOURCES}" rimba_toolkit ${RIMBA_TEST_ARTWORK})
add_test(NAME toolkit_tests
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb.sh $<TARGET_FILE:toolkit_tests> --gtest_brief=1)
# The editor's message box draws text: cairo's font caches hold what LeakSanitizer cannot follow.
set_tests_properties(toolkit_tests PROPERTIES TIMEOUT 300 LABELS linux-only
                     ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/dialogs/lsan.supp)
