tessellon_add_test(test_app_tiles GUI
  SOURCES
    app_tile_test.cpp
    context_menu_test.cpp
    tile_pasteboard_test.cpp
  LIBS app_tiles core_policy_activation core_model core_import_exchange core_localization core_foundation
)
