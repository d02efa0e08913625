#pragma once

#include "window_level.h"
