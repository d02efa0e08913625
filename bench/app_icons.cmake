tessellon_add_bench(bench_app_icons
  SOURCES app/icons_bench.cpp
  LIBS app_tiles_icons platform_wallpaper core_policy core_model
       core_localization core_foundation Qt6::Widgets
)
