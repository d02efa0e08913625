#pragma once

#include "localization/l10n.h"
#include "../foundation/log.h"
#include <QPointF>
#include <QtCore/QRectF>
