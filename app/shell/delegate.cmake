# The application delegate: start-up, wiring and shutdown, the status-bar and
# Dock menus, and the automation hooks.
add_library(app_delegate OBJECT
  status_menu.h status_menu.cpp
  dock_menu.h dock_menu.cpp
  simulated_trigger.h simulated_trigger.cpp
  automation_hooks.h automation_hooks.cpp
  app_delegate.h app_delegate.cpp app_delegate_menus.cpp
)
target_include_directories(app_delegate PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_delegate PUBLIC
  app_session app_input app_window app_window_view app_launcher app_tiles_icons app_settings app_settings_host
  platform_shell platform_input platform_clock
  core_model core_model_store core_policy_activation core_localization core_foundation
  Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_delegate)
