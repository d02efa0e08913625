#pragma once

#include "uninstall/residue_rules.h"
