#pragma once

#include "policy/grid_geometry.h"
#include <QWheelEvent>
