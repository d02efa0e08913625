tessellon_add_bench(bench_model_store
  SOURCES model/store_bench.cpp
  LIBS core_model_store core_model core_policy_activation core_import_exchange core_localization core_foundation
)
