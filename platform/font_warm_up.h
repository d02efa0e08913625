#pragma once

// Loads the desktop's font configuration (fontconfig's XML files and font
// caches). Reading it takes several milliseconds, and the first text the
// launcher draws would otherwise wait for it on the main thread: called on a
// worker before the application object is built, it is ready by then.
// Fontconfig's initialisation is safe against a second caller, so Qt's own
// use of it never races this one.
void loadFontConfiguration();
