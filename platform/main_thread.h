#pragma once

#include <QObject>

#include <functional>

// Work handed to the main thread from anywhere. Posted work runs from the main
// event loop, so it also runs while a modal dialog spins its own loop.
namespace MainThread {

// True on the thread that owns the application object.
bool isCurrent();

// Runs `work` on the main thread at the next turn of its event loop (also when
// called on the main thread: never inline).
void post(std::function<void()> work);

// As post(), but the work is dropped when `context` is destroyed before it
// runs: the usual guard of a callback that holds an object weakly.
void post(QObject *context, std::function<void()> work);

} // namespace MainThread
