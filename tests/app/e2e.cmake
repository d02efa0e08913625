# The real binary under its own virtual X display (Xvfb) with real key
# presses (xdotool). Needs the tessellon target built first.
tessellon_add_test(test_app_e2e
  SOURCES e2e_test.cpp
  LIBS Qt6::Core)
target_compile_definitions(test_app_e2e PRIVATE TESSELLON_BINARY="$<TARGET_FILE:tessellon>")
add_dependencies(test_app_e2e tessellon)
