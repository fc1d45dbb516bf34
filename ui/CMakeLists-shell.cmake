# Opening the page on the desktop: Qt's desktop services and GIO's MIME associations. A library
# of its own so that the command-line tool can open the page without the widgets.
find_package(Qt6 REQUIRED COMPONENTS Gui)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-2.0 gio-unix-2.0)

add_library(ravelmark_shell STATIC ReportShell.cpp ReportShell.h)
target_include_directories(ravelmark_shell PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(ravelmark_shell PUBLIC ravelmark_report Qt6::Gui PRIVATE PkgConfig::GIO ravelmark_warnings)
target_link_libraries(ravelmark_ui PUBLIC ravelmark_shell)
