# The toolkit's pop-ups and dialogs: option menus, text edits, tooltips, the message box, the file
# selector and the folder browser, with the models they draw kept apart from the window system so
# their tests need no display. Included from this folder's CMakeLists.txt, into the same library.
# On X11 the toolkit draws every pop-up itself; on Windows the menus, the message box and the file
# and folder dialogs are the system's own (win32/Win32.cmake), only the tooltip is ours, and the
# menu, text and file-selector models go into the Windows half's drawing-free library.
target_sources(rimba_toolkit PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MessagePresenter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OptionMenu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextEdit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Tooltip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TooltipTracker.cpp)
if(NOT WIN32)
    target_sources(rimba_toolkit PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/FileSelectorModel.cpp
        ${CMAKE_CURRENT_LIST_DIR}/MenuModel.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TextEditModel.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DesktopFileDialog.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DialogHost.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DialogWindow.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FileSelector.cpp
        ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ModalDialog.cpp
        ${CMAKE_CURRENT_LIST_DIR}/PopupMenu.cpp
        ${CMAKE_CURRENT_LIST_DIR}/X11Tooltip.cpp)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(RIMBA_DIALOG_LIBS REQUIRED IMPORTED_TARGET x11 cairo)
    target_link_libraries(rimba_toolkit PUBLIC PkgConfig::RIMBA_DIALOG_LIBS)
endif()
target_link_libraries(rimba_toolkit PUBLIC rimba_platform)
