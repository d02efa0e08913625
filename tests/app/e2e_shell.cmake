# The application shell of the real binary under its own virtual X display
# (Xvfb), driven by xdotool: hot corner, simulated triggers, start-up imports,
# launch options and opening an application. Needs the tessellon target built
# first.
tessellon_add_test(test_app_e2e_shell
  SOURCES e2e_shell_test.cpp
  LIBS Qt6::Core)
target_compile_definitions(test_app_e2e_shell PRIVATE TESSELLON_BINARY="$<TARGET_FILE:tessellon>")
add_dependencies(test_app_e2e_shell tessellon)
