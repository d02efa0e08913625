# The X11 side of the global triggers: XInput2 event taps, the global hot-key
# grab and the show-desktop watcher. The only code that includes X headers.
find_package(X11 REQUIRED)

add_library(platform_x11 OBJECT
  x11_display.h x11_display_x11.cpp
  mac_key_map.h mac_key_map_x11.cpp
  input_event_source_x11.h input_event_source_x11.cpp
  global_key_grabber_x11.h global_key_grabber_x11.cpp
  show_desktop_watcher_x11.h show_desktop_watcher_x11.cpp
)
target_include_directories(platform_x11 PUBLIC ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(platform_x11 PUBLIC platform_input core_foundation Qt6::Core X11::X11 X11::Xi)
set_property(GLOBAL APPEND PROPERTY TESSELLON_PLATFORM_LIBS platform_x11)
