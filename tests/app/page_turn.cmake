# The page-turn engine, the paging input routing and the launcher view's
# paging, click and open handling.
set(page_turn_test_dir ${CMAKE_CURRENT_LIST_DIR})
if(TARGET app_launcher)
  tessellon_add_test(test_app_page_turn GUI
    SOURCES
      ${page_turn_test_dir}/page_turn_engine_test.cpp
      ${page_turn_test_dir}/paging_input_router_test.cpp
      ${page_turn_test_dir}/launcher_view_paging_test.cpp
    LIBS app_launcher app_session app_tiles app_tiles_icons tessellon_platform tessellon_core Qt6::Widgets
  )
endif()
