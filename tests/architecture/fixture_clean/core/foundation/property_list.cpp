#include "foundation/log.h"
#include <plist/plist.h>
#include <unistd.h>
