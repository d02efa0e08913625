tessellon_add_test(test_policy_drag
  SOURCES
    side_button_page_policy_test.cpp
    edge_auto_page_policy_test.cpp
    merge_hover_gate_test.cpp
    page_drop_order_test.cpp
  LIBS core_policy_drag core_model core_import_exchange core_localization core_foundation
)
