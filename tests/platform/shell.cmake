# The shell's platform pieces. The Xvfb test starts its own X server and runs
# window_hints_probe there, which shows a window as the launcher does.
find_package(X11 REQUIRED)
add_executable(window_hints_probe window_hints_probe_x11.cpp)
target_link_libraries(window_hints_probe PRIVATE platform_shell core_foundation Qt6::Widgets X11::xcb)

tessellon_add_test(test_platform_shell GUI
  SOURCES
    main_thread_test.cpp
    window_level_test.cpp
    termination_signals_test.cpp
    single_instance_test.cpp
    window_decorator_xvfb_test.cpp
  LIBS platform_shell core_foundation Qt6::Widgets Qt6::Network
)
add_dependencies(test_platform_shell window_hints_probe)
target_compile_definitions(test_platform_shell PRIVATE
  WINDOW_HINTS_PROBE="$<TARGET_FILE:window_hints_probe>")
