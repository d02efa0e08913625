tessellon_add_bench(bench_model_store
  SOURCES model/store_bench.cpp
  LIBS core_model core_policy core_localization core_foundation
)
