# The launcher window and its controller, modal alerts and opening applications.
tessellon_add_test(test_app_window GUI
  SOURCES
    window/launcher_controller_test.cpp
    window/app_alert_test.cpp
    window/app_opener_test.cpp
  LIBS app_window platform_shell core_model core_localization core_foundation
       Qt6::Widgets Qt6::Network
)
target_include_directories(test_app_window PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/window)
