#pragma once

#include "window_level.h"
#include "import/exchange.h"
#include <QtWidgets/QDialog>
