#include "tiles/app_tile.h"
#include "app_tile.h"
#include "window_level.h"
