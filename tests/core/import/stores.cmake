tessellon_add_test(test_import_stores
  SOURCES
    sqlite_tool_runner_test.cpp
    sqlite_schema_probe_test.cpp
    sqlite_column_plan_test.cpp
    layout_id_resolver_test.cpp
    layout_source_importer_test.cpp
  LIBS core_import_stores core_import_launchpad core_import_exchange core_model core_localization core_foundation
)
