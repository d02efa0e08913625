#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Opaque Xlib types: the X headers stay inside the *_x11.cpp files.
struct _XDisplay;
union _XEvent;
class QSocketNotifier;

// One private connection to an X server, with its events read on the main
// thread's event loop. Every desktop object that talks to X owns one, so that
// closing it releases all the object's server resources (grabs, selections).
class X11Display
{
public:
    // Connects to `name` (":1"), or to $DISPLAY when empty; null when no
    // server answers.
    static std::unique_ptr<X11Display> open(const QString &name = {});
    ~X11Display();

    X11Display(const X11Display &) = delete;
    X11Display &operator=(const X11Display &) = delete;

    _XDisplay *handle() const { return m_display; }
    unsigned long rootWindow() const;

    // Modifier masks of this server's keyboard: which ModN holds Alt (Option),
    // Super (Command) and Num Lock.
    struct ModifierMasks
    {
        unsigned alt = 0;
        unsigned super = 0;
        unsigned numLock = 0;
    };
    ModifierMasks modifierMasks();

    // Every event read from the connection goes to `handler` on the main
    // thread; an empty handler stops reading (events stay queued).
    void setEventHandler(std::function<void(_XEvent &event)> handler);
    // Sends pending requests, waits until the server has handled them and
    // hands every event that came back to the handler.
    void sync();
    // Hands the events already read to the handler.
    void dispatchPending();

private:
    explicit X11Display(_XDisplay *display);
    void readEvents();

    _XDisplay *m_display = nullptr;
    std::function<void(_XEvent &)> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_dispatching = false;
    std::optional<ModifierMasks> m_masks;
};

// Collects the X errors of the requests made while it lives, for one display,
// in itself rather than in any process-wide flag: Xlib's error handler is
// process-wide, so the trap installs a forwarding handler for its lifetime and
// restores the previous one when it ends. Traps nest; main thread only.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(X11Display &display);
    ~X11ErrorTrap();

    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // Waits until the server has handled every request sent so far; true when
    // none of them failed since the trap began.
    bool syncSucceeded();
    int errorCount() const { return m_errorCount; }
    // Xlib's code of the first error (BadAccess is 10); 0 without error.
    int firstErrorCode() const { return m_firstErrorCode; }

private:
    friend struct X11ErrorTrapAccess;
    X11Display &m_display;
    X11ErrorTrap *m_outer = nullptr;
    void *m_previousHandler = nullptr;
    int m_errorCount = 0;
    int m_firstErrorCode = 0;
};
