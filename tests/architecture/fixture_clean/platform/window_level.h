#pragma once

#include "foundation/log.h"
#include <QWidget>
#include <QDBusConnection>
