#include "font_warm_up.h"

#include <fontconfig/fontconfig.h>

std::jthread warmUpFontConfiguration()
{
    // FcInit() loads the default configuration once per process; later
    // callers, Qt's font database among them, find it loaded.
    return std::jthread([] { FcInit(); });
}
