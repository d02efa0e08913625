tessellon_add_bench(bench_model_scan
  SOURCES model/scan_bench.cpp
  LIBS core_model core_localization core_foundation
)
