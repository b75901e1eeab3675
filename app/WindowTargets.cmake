# The main window (thin over the window-free libraries) and the program.
find_package(Qt6 REQUIRED COMPONENTS Svg)

add_library(lumitag_window STATIC
  ${CMAKE_SOURCE_DIR}/app/Frmmainmodule.h
  ${CMAKE_SOURCE_DIR}/app/Frmmainmodule.cpp
  ${CMAKE_SOURCE_DIR}/app/FrmShell.cpp
  ${CMAKE_SOURCE_DIR}/app/UpDown.h
  ${CMAKE_SOURCE_DIR}/app/UpDown.cpp
  ${CMAKE_SOURCE_DIR}/catalogue/FrmFileList.cpp
  ${CMAKE_SOURCE_DIR}/catalogue/FrmEditing.cpp
  ${CMAKE_SOURCE_DIR}/rename/FrmRename.cpp
  ${CMAKE_SOURCE_DIR}/app/resources/lumitag.qrc)
set_target_properties(lumitag_window PROPERTIES AUTORCC ON)
target_include_directories(lumitag_window PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(lumitag_window PUBLIC
  lumitag_catalogue lumitag_rename lumitag_preview lumitag_exif lumitag_options lumitag_localisation
  lumitag_widgets lumitag_util lumitag_util_gui Qt6::Widgets Qt6::Svg)

add_executable(lumitag ${CMAKE_SOURCE_DIR}/app/main.cpp)
target_link_libraries(lumitag PRIVATE lumitag_window)
install(TARGETS lumitag RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
