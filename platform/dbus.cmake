# System events from the desktop's D-Bus services (lock, unlock, sleep, wake).
find_package(Qt6 REQUIRED COMPONENTS DBus)

add_library(platform_dbus OBJECT
  system_events_dbus.h system_events_dbus.cpp
)
target_include_directories(platform_dbus PUBLIC ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(platform_dbus PUBLIC platform_input core_foundation Qt6::Core Qt6::DBus)
set_property(GLOBAL APPEND PROPERTY TESSELLON_PLATFORM_LIBS platform_dbus)
