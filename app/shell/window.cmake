# The launcher window and its controller, modal alerts and opening
# applications. The controller's tie to the real launcher view sits in its own
# library, so the controller builds and is tested without the view.
add_library(app_window OBJECT
  launcher_window.h launcher_window.cpp
  launcher_controller.h launcher_controller.cpp
  alert_box.h alert_box.cpp
  app_alert.h app_alert.cpp
  app_opener.h app_opener.cpp
)
target_include_directories(app_window PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_window PUBLIC
  platform_shell core_model core_localization core_foundation Qt6::Widgets)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_window)

# app_launcher is defined later (app/launcher); a name is enough to link it.
if(EXISTS ${PROJECT_SOURCE_DIR}/app/launcher/launcher_view.h)
  add_library(app_window_view OBJECT launcher_controller_view.cpp)
  target_include_directories(app_window_view PUBLIC ${PROJECT_SOURCE_DIR}/app)
  target_link_libraries(app_window_view PUBLIC app_window app_launcher Qt6::Widgets)
  set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_window_view)
endif()
