tessellon_add_test(test_model_layout
  SOURCES
    layout_values_test.cpp
    layout_edits_test.cpp
    layout_reconcile_test.cpp
    layout_import_test.cpp
    layout_robustness_test.cpp
    launchpad_layout_test.cpp
  LIBS core_model core_import_exchange core_localization core_foundation
)
