#pragma once

#include "model/app_item.h"
#include "import/exchange.h"
