tessellon_add_test(test_model_scan
  SOURCES app_scanner_test.cpp search_test.cpp
  LIBS core_model_scan core_model core_import_exchange core_localization core_foundation
)
