# Runs against a private dbus-daemon that the suite starts itself.
tessellon_add_test(test_platform_dbus
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/dbus/system_events_dbus_test.cpp
  LIBS platform_dbus platform_input core_foundation
)
