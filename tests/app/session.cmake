tessellon_add_test(test_app_session GUI
  SOURCES
    launch_options_test.cpp
    launcher_session_test.cpp
    launcher_session_changes_test.cpp
  LIBS app_session app_tiles_icons platform_wallpaper tessellon_core
)
