tessellon_add_bench(bench_model_search
  SOURCES model/search_bench.cpp
  LIBS core_model core_localization core_foundation
)
