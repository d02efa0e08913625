# Icon loading and caching, the page dots and the blurred wallpaper backdrop.
add_library(app_tiles_icons OBJECT
  icon_provider.h icon_provider.cpp
  gaussian_blur.h gaussian_blur.cpp
  page_dots_view.h page_dots_view.cpp
  wallpaper_backdrop.h wallpaper_backdrop.cpp
)
target_include_directories(app_tiles_icons PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_tiles_icons PUBLIC
  core_model core_policy core_foundation platform_wallpaper Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_tiles_icons)
