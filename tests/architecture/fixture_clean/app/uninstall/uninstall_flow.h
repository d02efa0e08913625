#pragma once

#include "modal/uninstall_requests.h"
#include "trash/freedesktop_trash.h"
