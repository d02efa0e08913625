#pragma once

#include "../tiles/app_tile.h"
#include <QLabel>
