#pragma once

#include "folders/folder_overlay.h"
#include "paging/page_turner.h"
#include "session/launcher_session.h"
