#pragma once

#include "launcher/launcher_view.h"
#include "uninstall/uninstall_flow.h"
#include "settings/settings_window.h"
#include "triggers/hot_corner_monitor.h"
