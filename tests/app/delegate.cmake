# The application delegate, its menus and its automation hooks. The delegate
# wires every part of the application, so its test links all of them.
get_property(delegate_test_app_libs GLOBAL PROPERTY TESSELLON_APP_LIBS)
tessellon_add_test(test_app_delegate GUI
  SOURCES status_menu_test.cpp automation_test.cpp app_delegate_test.cpp
  LIBS ${delegate_test_app_libs} tessellon_platform tessellon_core Qt6::Widgets)
