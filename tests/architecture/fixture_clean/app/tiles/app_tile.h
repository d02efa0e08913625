#pragma once

#include <QWidget>
#include <QPainter>
#include "policy/grid_geometry.h"
// Resolves to core/uninstall: app/uninstall has no such file.
#include "uninstall/residue_rules.h"
