#pragma once

#include "foundation/log.h"
