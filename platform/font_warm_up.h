#pragma once

#include <thread>

// Loads the desktop's font configuration (fontconfig's XML files and font
// caches) on a worker thread. Reading it takes several milliseconds, and the
// first text the launcher draws would otherwise wait for it on the main
// thread; started before the application object is built, it is ready by
// then. Fontconfig's initialisation is safe against a second caller, so
// Qt's own use of it never races this one. The thread is joined when the
// returned object goes.
std::jthread warmUpFontConfiguration();
