#pragma once

#include "model/value.h"
