# The launcher as a whole: start to "[ready]" (the real binary and in-process),
# page-slide frames, page rebuilds and search keystrokes at 1920 x 1080.
tessellon_add_bench(bench_app_launcher
  SOURCES app/launcher_bench.cpp
  LIBS app_window_view app_window app_launcher app_session app_tiles app_tiles_icons
       tessellon_platform tessellon_core Qt6::Widgets
)
target_include_directories(bench_app_launcher PRIVATE ${PROJECT_SOURCE_DIR}/app)
target_compile_definitions(bench_app_launcher PRIVATE TESSELLON_BINARY="$<TARGET_FILE:tessellon>")
add_dependencies(bench_app_launcher tessellon)
