tessellon_add_test(test_policy_paging
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/grid_geometry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/display_paging_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_dots_geometry_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/search_prompt_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/smooth_scroll_tail_guard_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wheel_page_navigator_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_slide_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_drag_gesture_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pointer_page_drag_test.cpp
  LIBS core_policy_paging core_model core_import_exchange core_localization core_foundation
)
