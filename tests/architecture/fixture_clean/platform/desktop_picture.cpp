#include "window_level.h"
#include <gio/gio.h>
#include "uninstall/residue_rules.h"
