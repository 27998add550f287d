# The drawing backends held to one behaviour: the same tests of the toolkit's drawing context,
# offscreen pictures, PNG decoding and text, built against cairo on Linux and against GDI+ on
# Windows (run through Wine). They need no window.
set(RIMBA_TEST_PNGS ${CMAKE_CURRENT_BINARY_DIR}/generated/tests/plugin/editor/toolkit/drawing/TestPngs.h)
add_custom_command(
    OUTPUT ${RIMBA_TEST_PNGS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated/tests/plugin/editor/toolkit/drawing
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/make_test_pngs.py ${RIMBA_TEST_PNGS}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_test_pngs.py
    COMMENT "Making the drawing tests' PNG files"
    VERBATIM)

# With the system's own half (win32/: GDI+'s start and its failure).
file(GLOB RIMBA_DRAWING_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp
     ${CMAKE_CURRENT_LIST_DIR}/${RIMBA_SYSTEM_HALF}/*.cpp)
rimba_add_test_program(drawing_tests "${RIMBA_DRAWING_TEST_SOURCES};${RIMBA_TEST_PNGS}" rimba_drawing)
target_include_directories(drawing_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
# The GDI+ backend's coverage mask is plain C++: the Linux build tests it too, sanitizers and all.
if(NOT WIN32)
    target_sources(drawing_tests PRIVATE ${PROJECT_SOURCE_DIR}/plugin/editor/toolkit/gdiplus/CoverageMask.cpp)
endif()
if(WIN32)
    gtest_discover_tests(drawing_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)
else()
    # cairo's and fontconfig's process-wide font caches (tests/plugin/editor/toolkit/dialogs).
    gtest_discover_tests(drawing_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120
        ENVIRONMENT LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../dialogs/lsan.supp)
endif()

# What Wine's drawing interfaces can do, measured (docs/notes/windows-editor.md); the run fails
# when GDI+ no longer draws text from a private font collection, which the backend relies on.
if(WIN32)
    add_executable(wine_drawing_probe ${PROJECT_SOURCE_DIR}/tests/windows/wine_drawing_probe.cpp)
    target_link_libraries(wine_drawing_probe PRIVATE rimba_drawing d2d1 dwrite windowscodecs ole32 uuid)
    target_include_directories(wine_drawing_probe PRIVATE ${PROJECT_SOURCE_DIR})
    add_test(NAME WineDrawingProbeFindsPrivateFontTextAndAntialiasedShapes COMMAND wine_drawing_probe)
    set_tests_properties(WineDrawingProbeFindsPrivateFontTextAndAntialiasedShapes PROPERTIES TIMEOUT 120)
endif()
