find_package(Qt6 REQUIRED COMPONENTS Test)

tessellon_add_test(test_app_icons GUI
  SOURCES icon_provider_test.cpp page_dots_view_test.cpp wallpaper_backdrop_test.cpp
  LIBS app_tiles_icons platform_wallpaper core_policy core_model
       core_localization core_foundation Qt6::Widgets Qt6::Test
)
