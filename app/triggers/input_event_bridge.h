#pragma once

#include "policy/input_trigger_event.h"

#include <QMutex>

#include <functional>

// The relay between the event-tap callback, which knows nothing of the input
// monitor, and the monitor. The lock guards only the two handlers; a handler
// always runs after the lock is released, so it may itself replace them.
class InputEventBridge
{
public:
    using Handler = std::function<void(const InputTriggerEvent &event)>;
    using RebuildHandler = std::function<void()>;

    // Replaces both handlers together; two empty ones detach.
    void setHandlers(Handler handler, RebuildHandler rebuild);
    void deliver(const InputTriggerEvent &event);
    void requestRebuild();

private:
    QMutex m_lock;
    Handler m_handler;
    RebuildHandler m_rebuildHandler;
};

// The one relay of the process, made on first use.
InputEventBridge &inputBridge();
