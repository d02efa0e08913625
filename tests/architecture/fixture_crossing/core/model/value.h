#pragma once

#include "import/exchange.h"
