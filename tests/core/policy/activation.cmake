tessellon_add_test(test_policy_activation
  SOURCES
    input_trigger_policy_test.cpp
    system_gesture_preference_test.cpp
    pinch_gesture_test.cpp
    edit_mode_gate_test.cpp
    option_key_trigger_test.cpp
    jiggle_motion_test.cpp
    edit_mode_badge_test.cpp
    uninstall_eligibility_test.cpp
    menu_descriptor_test.cpp
  LIBS core_policy_activation core_model core_import_exchange core_localization core_foundation
)
