# Runs against a private Xvfb server that the suite starts itself.
tessellon_add_test(test_platform_x11 GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/x11/xvfb_server.h
    ${CMAKE_CURRENT_LIST_DIR}/x11/xvfb_server.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11/x11_platform_test.cpp
  LIBS app_input platform_input platform_x11 platform_dbus platform_clock
       core_policy core_model core_localization core_foundation
)
