# The narrow interfaces of the global triggers (event taps, the global hot
# key, the pointer, system notifications) and the Qt-only pointer locator.
add_library(platform_input OBJECT
  input_event_source.h
  global_key_grabber.h
  pointer_locator.h
  screen_pointer_locator.h screen_pointer_locator.cpp
  system_notifications.h system_notifications.cpp
)
target_include_directories(platform_input PUBLIC ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(platform_input PUBLIC core_foundation Qt6::Core Qt6::Gui)
set_property(GLOBAL APPEND PROPERTY TESSELLON_PLATFORM_LIBS platform_input)
