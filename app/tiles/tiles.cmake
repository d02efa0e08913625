# The tile view, the context-menu renderer and the tile pasteboard format.
add_library(app_tiles OBJECT
  tile_geometry.h tile_geometry.cpp
  app_tile.h app_tile.cpp
  context_menu.h context_menu.cpp
  context_menu_builder.h context_menu_builder.cpp
  tile_pasteboard.h tile_pasteboard.cpp
)
target_include_directories(app_tiles PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_tiles PUBLIC core_policy core_model core_localization core_foundation Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_tiles)
