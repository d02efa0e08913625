# The launcher view: state and construction, build and relayout, show and
# hide, chrome, search and keys, and the page-turn engine with its inputs.

set(launcher_view_sources
  flipped_view.h
  frame_clock.h frame_clock.cpp
  presentation_curve.h presentation_curve.cpp
  launcher_layout_plan.h launcher_layout_plan.cpp
  launcher_key_routing.h launcher_key_routing.cpp
  centered_scale_effect.h centered_scale_effect.cpp
  search_icon_view.h search_icon_view.cpp
  fill_view.h fill_view.cpp
  launcher_view.h launcher_view.cpp
  launcher_view_build.cpp
  launcher_view_presentation.cpp
  launcher_view_chrome.cpp
  launcher_view_seams.cpp
)

# ---- Paging sources (owned by the page-turn helper; edit only this list) ----
set(paging_sources
  page_turn_engine.h page_turn_engine.cpp
  paging_input_router.h paging_input_router.cpp
  launcher_view_paging.cpp
)
# ---- end of paging sources ----

# The view's paging members live in their own file, added once it exists.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/launcher_view_paging.cpp)
  list(APPEND paging_sources launcher_view_paging.cpp)
endif()
list(REMOVE_DUPLICATES paging_sources)

add_library(app_launcher OBJECT ${launcher_view_sources} ${paging_sources})
target_include_directories(app_launcher PUBLIC ${PROJECT_SOURCE_DIR}/app)
target_link_libraries(app_launcher PUBLIC
  app_session app_tiles app_tiles_icons
  core_policy
  core_model core_localization core_foundation
  Qt6::Widgets
)
set_property(GLOBAL APPEND PROPERTY TESSELLON_APP_LIBS app_launcher)
