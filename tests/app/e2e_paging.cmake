# Paging through the real binary under its own virtual X display (Xvfb), with
# real pointer, wheel and key input (xdotool) and the screen read back through
# X11. Needs the tessellon target built first.
find_package(X11 REQUIRED)
tessellon_add_test(test_app_e2e_paging
  SOURCES e2e_paging_test.cpp
  LIBS core_policy core_model core_localization core_foundation Qt6::Gui X11::X11)
target_include_directories(test_app_e2e_paging PRIVATE ${PROJECT_SOURCE_DIR}/app)
target_compile_definitions(test_app_e2e_paging PRIVATE TESSELLON_BINARY="$<TARGET_FILE:tessellon>")
add_dependencies(test_app_e2e_paging tessellon)
