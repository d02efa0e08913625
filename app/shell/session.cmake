# The launch options and the launcher session: the live model and its files.
add_library(app_session OBJECT
  launch_options.h launch_options.cpp
  launcher_session.h launcher_session.cpp launcher_session_changes.cpp
)
target_include_directories(app_session PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_session PUBLIC tessellon_core app_tiles_icons Qt6::Gui)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_session)
