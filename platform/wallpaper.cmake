# The desktop picture, as the desktop environment tells it.
add_library(platform_wallpaper OBJECT
  desktop_picture.h desktop_picture.cpp
)
target_include_directories(platform_wallpaper PUBLIC ${PROJECT_SOURCE_DIR}/platform)
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET GLOBAL gio-2.0)
target_link_libraries(platform_wallpaper PUBLIC core_foundation Qt6::Core PRIVATE PkgConfig::GIO)
set_property(GLOBAL APPEND PROPERTY TESSELLON_PLATFORM_LIBS platform_wallpaper)
