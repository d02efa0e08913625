#pragma once

#include "launcher/uninstall_requests.h"
#include "trash/freedesktop_trash.h"
