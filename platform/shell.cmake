# The shell's platform pieces: main-thread work and timers, window levels and
# overlay hints, termination signals and the single running instance.
find_package(X11 REQUIRED)
add_library(platform_shell OBJECT
  main_thread.h main_thread.cpp
  timer_scheduler.h timer_scheduler.cpp
  window_level.h window_level.cpp
  window_decorator.h window_decorator.cpp window_decorator_x11.cpp
  termination_signals.h termination_signals.cpp
  single_instance.h single_instance.cpp
)
target_include_directories(platform_shell PUBLIC ${PROJECT_SOURCE_DIR}/platform)
target_link_libraries(platform_shell PUBLIC core_foundation Qt6::Widgets Qt6::Network X11::xcb)
set_property(GLOBAL APPEND PROPERTY TESSELLON_PLATFORM_LIBS platform_shell)
