tessellon_add_test(test_import_launchpad
  SOURCES
    launchpad_importer_test.cpp
    launchpad_database_test.cpp
    launchpad_app_merger_test.cpp
    layout_source_test.cpp
  LIBS core_import_launchpad core_import_exchange core_model core_localization core_foundation
)
