# The toolkit's Windows half, included from the toolkit's CMakeLists.txt on WIN32: the frame's
# child window, the tooltip's pop-up, and the system's menus and dialogs. What needs no window nor
# drawing (key codes, text conversion, the native menu from a MenuModel, the file dialogs'
# strings) is a library of its own with the models it works on, so that its tests link without
# the drawing backend.
add_library(rimba_toolkit_win32_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/../FileSelectorModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../MenuModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../TextEditModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32FileDialogText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32NativeMenu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Text.cpp)
target_include_directories(rimba_toolkit_win32_logic PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(rimba_toolkit_win32_logic PUBLIC rimba_platform user32)
add_dependencies(rimba_toolkit_win32_logic rimba_layers)

target_sources(rimba_toolkit PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Win32Dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32FrameWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Tooltip.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Window.cpp)
target_link_libraries(rimba_toolkit PUBLIC rimba_toolkit_win32_logic rimba_toolkit_ole comdlg32 shell32 ole32 uuid gdi32 user32)
