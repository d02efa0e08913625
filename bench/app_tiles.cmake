tessellon_add_bench(bench_app_tiles
  SOURCES app/tiles_bench.cpp
  LIBS app_tiles core_policy core_model core_localization core_foundation Qt6::Widgets
)
