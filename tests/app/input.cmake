tessellon_add_test(test_app_input GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/input/fake_input_platform.h
    ${CMAKE_CURRENT_LIST_DIR}/input/input_event_monitor_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/input/hot_key_manager_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/input/hot_corner_monitor_test.cpp
  LIBS app_input platform_input platform_x11 platform_dbus platform_clock
       core_policy core_model core_localization core_foundation
)
