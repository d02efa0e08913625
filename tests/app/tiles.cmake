tessellon_add_test(test_app_tiles GUI
  SOURCES
    app_tile_test.cpp
    context_menu_test.cpp
    tile_pasteboard_test.cpp
  LIBS app_tiles core_policy core_model core_localization core_foundation
)
