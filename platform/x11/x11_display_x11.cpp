#include "x11/x11_display.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

using ErrorHandler = int (*)(Display *, XErrorEvent *);

// The innermost live trap of this thread. Only the trap objects hold the
// error records; this pointer just routes Xlib's callback to them.
thread_local X11ErrorTrap *t_activeTrap = nullptr;

} // namespace

struct X11ErrorTrapAccess
{
    static int handle(Display *display, XErrorEvent *error)
    {
        for (X11ErrorTrap *trap = t_activeTrap; trap; trap = trap->m_outer) {
            if (trap->m_display.handle() == display) {
                if (trap->m_errorCount++ == 0)
                    trap->m_firstErrorCode = error->error_code;
                return 0;
            }
        }
        // An error of a connection no trap watches: whoever was there before.
        X11ErrorTrap *outermost = t_activeTrap;
        while (outermost && outermost->m_outer)
            outermost = outermost->m_outer;
        auto previous = outermost ? reinterpret_cast<ErrorHandler>(outermost->m_previousHandler) : nullptr;
        return previous ? previous(display, error) : 0;
    }
};

X11ErrorTrap::X11ErrorTrap(X11Display &display) : m_display(display)
{
    // Errors of requests sent before the trap belong to whoever sent them.
    XSync(display.handle(), False);
    m_outer = t_activeTrap;
    m_previousHandler = reinterpret_cast<void *>(XSetErrorHandler(&X11ErrorTrapAccess::handle));
    t_activeTrap = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(m_display.handle(), False);
    t_activeTrap = m_outer;
    XSetErrorHandler(reinterpret_cast<ErrorHandler>(m_previousHandler));
}

bool X11ErrorTrap::syncSucceeded()
{
    XSync(m_display.handle(), False);
    return m_errorCount == 0;
}

std::unique_ptr<X11Display> X11Display::open(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    Display *display = XOpenDisplay(name.isEmpty() ? nullptr : utf8.constData());
    if (!display)
        return nullptr;
    return std::unique_ptr<X11Display>(new X11Display(display));
}

X11Display::X11Display(_XDisplay *display) : m_display(display) {}

X11Display::~X11Display()
{
    m_notifier.reset();
    XCloseDisplay(m_display);
}

unsigned long X11Display::rootWindow() const
{
    return DefaultRootWindow(m_display);
}

X11Display::ModifierMasks X11Display::modifierMasks()
{
    if (m_masks)
        return *m_masks;
    ModifierMasks masks;
    XModifierKeymap *map = XGetModifierMapping(m_display);
    if (map) {
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                const KeyCode code = map->modifiermap[modifier * map->max_keypermod + k];
                if (code == 0)
                    continue;
                const KeySym sym = XkbKeycodeToKeysym(m_display, code, 0, 0);
                const unsigned mask = 1u << modifier;
                if ((sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L || sym == XK_Meta_R) && !masks.alt)
                    masks.alt = mask;
                else if ((sym == XK_Super_L || sym == XK_Super_R) && !masks.super)
                    masks.super = mask;
                else if (sym == XK_Num_Lock && !masks.numLock)
                    masks.numLock = mask;
            }
        }
        XFreeModifiermap(map);
    }
    // The usual layout where the keyboard map does not say.
    if (!masks.alt)
        masks.alt = Mod1Mask;
    if (!masks.super)
        masks.super = Mod4Mask;
    if (!masks.numLock)
        masks.numLock = Mod2Mask;
    m_masks = masks;
    return masks;
}

void X11Display::setEventHandler(std::function<void(_XEvent &event)> handler)
{
    m_handler = std::move(handler);
    if (!m_handler) {
        m_notifier.reset();
        return;
    }
    if (!m_notifier) {
        m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readEvents(); });
        // A round trip (XSync, a query) may read events into Xlib's queue
        // without waking the notifier: look there before the loop sleeps.
        if (auto *dispatcher = QAbstractEventDispatcher::instance(m_notifier->thread()))
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_notifier.get(),
                             [this] { dispatchPending(); });
    }
    // Events read by an earlier round trip never wake the socket notifier.
    dispatchPending();
}

void X11Display::readEvents()
{
    // XPending reads what the socket holds; without anything to read after a
    // wake-up the server has gone, and Xlib reports that itself.
    XPending(m_display);
    dispatchPending();
}

void X11Display::sync()
{
    XSync(m_display, False);
    dispatchPending();
}

void X11Display::dispatchPending()
{
    if (!m_handler || m_dispatching)
        return;
    m_dispatching = true;
    while (XEventsQueued(m_display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (!m_handler)
            break;
        // The handler may drop this connection's handler, but not the connection.
        auto handler = m_handler;
        handler(event);
    }
    m_dispatching = false;
}
