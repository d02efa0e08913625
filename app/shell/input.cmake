# The global triggers: the input event monitor with its event-tap callback
# and relay, the global hot key and the hot-corner monitor.
add_library(app_input OBJECT
  poll_timer.h poll_timer.cpp
  input_event_bridge.h input_event_bridge.cpp
  input_tap_callback.h input_tap_callback.cpp
  input_platform.h input_platform.cpp
  input_event_monitor.h input_event_monitor.cpp
  hot_key_manager.h hot_key_manager.cpp
  hot_corner_monitor.h hot_corner_monitor.cpp
)
target_include_directories(app_input PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_input PUBLIC
  platform_input platform_x11 platform_dbus platform_clock
  core_policy core_model core_localization core_foundation
  Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_input)
