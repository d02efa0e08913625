# The launcher view: frame clock, layout plan, presentation, chrome, search
# and keys, and the view built on a real session.
set(launcher_view_test_dir ${CMAKE_CURRENT_LIST_DIR})
if(TARGET app_launcher)
  tessellon_add_test(test_app_launcher_view GUI
    SOURCES
      ${launcher_view_test_dir}/frame_clock_test.cpp
      ${launcher_view_test_dir}/launcher_layout_plan_test.cpp
      ${launcher_view_test_dir}/presentation_curve_test.cpp
      ${launcher_view_test_dir}/launcher_view_test.cpp
    LIBS app_launcher app_session app_tiles app_tiles_icons tessellon_platform tessellon_core Qt6::Widgets
  )
endif()
