#include "x11/mac_key_map.h"

#include "input_event_source.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace {

struct KeyPair
{
    quint32 macKeyCode;
    quint32 keysym;
};

// macOS ANSI virtual key codes.
constexpr std::array kKeys = {
    KeyPair{0, XK_a},           KeyPair{1, XK_s},          KeyPair{2, XK_d},           KeyPair{3, XK_f},
    KeyPair{4, XK_h},           KeyPair{5, XK_g},          KeyPair{6, XK_z},           KeyPair{7, XK_x},
    KeyPair{8, XK_c},           KeyPair{9, XK_v},          KeyPair{11, XK_b},          KeyPair{12, XK_q},
    KeyPair{13, XK_w},          KeyPair{14, XK_e},         KeyPair{15, XK_r},          KeyPair{16, XK_y},
    KeyPair{17, XK_t},          KeyPair{18, XK_1},         KeyPair{19, XK_2},          KeyPair{20, XK_3},
    KeyPair{21, XK_4},          KeyPair{22, XK_6},         KeyPair{23, XK_5},          KeyPair{24, XK_equal},
    KeyPair{25, XK_9},          KeyPair{26, XK_7},         KeyPair{27, XK_minus},      KeyPair{28, XK_8},
    KeyPair{29, XK_0},          KeyPair{30, XK_bracketright}, KeyPair{31, XK_o},       KeyPair{32, XK_u},
    KeyPair{33, XK_bracketleft}, KeyPair{34, XK_i},        KeyPair{35, XK_p},          KeyPair{36, XK_Return},
    KeyPair{37, XK_l},          KeyPair{38, XK_j},         KeyPair{39, XK_apostrophe}, KeyPair{40, XK_k},
    KeyPair{41, XK_semicolon},  KeyPair{42, XK_backslash}, KeyPair{43, XK_comma},      KeyPair{44, XK_slash},
    KeyPair{45, XK_n},          KeyPair{46, XK_m},         KeyPair{47, XK_period},     KeyPair{48, XK_Tab},
    KeyPair{49, XK_space},      KeyPair{50, XK_grave},     KeyPair{51, XK_BackSpace},  KeyPair{53, XK_Escape},
    KeyPair{54, XK_Super_R},    KeyPair{55, XK_Super_L},   KeyPair{56, XK_Shift_L},    KeyPair{57, XK_Caps_Lock},
    KeyPair{58, XK_Alt_L},      KeyPair{59, XK_Control_L}, KeyPair{60, XK_Shift_R},    KeyPair{61, XK_Alt_R},
    KeyPair{62, XK_Control_R},  KeyPair{64, XK_F17},       KeyPair{79, XK_F18},        KeyPair{80, XK_F19},
    KeyPair{90, XK_F20},        KeyPair{96, XK_F5},        KeyPair{97, XK_F6},         KeyPair{98, XK_F7},
    KeyPair{99, XK_F3},         KeyPair{100, XK_F8},       KeyPair{101, XK_F9},        KeyPair{103, XK_F11},
    KeyPair{105, XK_F13},       KeyPair{106, XK_F16},      KeyPair{107, XK_F14},       KeyPair{109, XK_F10},
    KeyPair{111, XK_F12},       KeyPair{113, XK_F15},      KeyPair{114, XK_Insert},    KeyPair{115, XK_Home},
    KeyPair{116, XK_Prior},     KeyPair{117, XK_Delete},   KeyPair{118, XK_F4},        KeyPair{119, XK_End},
    KeyPair{120, XK_F2},        KeyPair{121, XK_Next},     KeyPair{122, XK_F1},        KeyPair{123, XK_Left},
    KeyPair{124, XK_Right},     KeyPair{125, XK_Down},     KeyPair{126, XK_Up},
};

// Further keysyms that play the part of a mapped key on some layouts.
constexpr std::array kAliases = {
    KeyPair{58, XK_Meta_L},
    KeyPair{61, XK_Meta_R},
    // AltGr stands where the right Option key is.
    KeyPair{61, XK_ISO_Level3_Shift},
    KeyPair{55, XK_Hyper_L},
    KeyPair{54, XK_Hyper_R},
};

} // namespace

quint32 MacKeyMap::keysymForKeyCode(quint32 macKeyCode)
{
    for (const KeyPair &pair : kKeys) {
        if (pair.macKeyCode == macKeyCode)
            return pair.keysym;
    }
    return 0;
}

qint64 MacKeyMap::keyCodeForKeysym(quint32 keysym)
{
    // Capital letters come from the same keys as the small ones.
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    for (const KeyPair &pair : kKeys) {
        if (pair.keysym == keysym)
            return pair.macKeyCode;
    }
    for (const KeyPair &pair : kAliases) {
        if (pair.keysym == keysym)
            return pair.macKeyCode;
    }
    return -1;
}

bool MacKeyMap::isModifierKeyCode(qint64 macKeyCode)
{
    return macKeyCode >= 54 && macKeyCode <= 63;
}

quint64 MacKeyMap::modifierFlagForKeyCode(qint64 macKeyCode)
{
    switch (macKeyCode) {
    case 54:
    case 55:
        return EventTapFlags::command;
    case 56:
    case 60:
        return EventTapFlags::shift;
    case 58:
    case 61:
        return EventTapFlags::option;
    case 59:
    case 62:
        return EventTapFlags::control;
    default:
        return 0;
    }
}
