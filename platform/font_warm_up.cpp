#include "font_warm_up.h"

#include <fontconfig/fontconfig.h>

void loadFontConfiguration()
{
    // Loads the default configuration once per process; later callers, Qt's
    // font database among them, find it loaded.
    FcInit();
}
