#pragma once

#include "model/app_item.h"
