tessellon_add_bench(bench_model_layout
  SOURCES model/layout_bench.cpp
  LIBS core_model core_localization core_foundation
)
