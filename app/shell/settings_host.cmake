# The settings window's host in the running application: the launcher
# session and the delegate's triggers behind SettingsHost.
add_library(app_settings_host OBJECT
  settings_host_adapter.h settings_host_adapter.cpp
)
target_include_directories(app_settings_host PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_settings_host PUBLIC app_session app_settings Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_settings_host)
