# OLE drag and drop of files for the Windows frame window (OleDragDrop.h): a library of its own,
# which the toolkit links on Windows.
set(RIMBA_TOOLKIT_OLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DropFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDragSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileDropTarget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OleThread.cpp)
add_library(rimba_toolkit_ole STATIC ${RIMBA_TOOLKIT_OLE_SOURCES})
target_include_directories(rimba_toolkit_ole PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(rimba_toolkit_ole PUBLIC ole32 uuid shell32)
add_dependencies(rimba_toolkit_ole rimba_layers)
