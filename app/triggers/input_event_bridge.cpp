#include "input_event_bridge.h"

#include <QMutexLocker>

void InputEventBridge::setHandlers(Handler handler, RebuildHandler rebuild)
{
    QMutexLocker locker(&m_lock);
    m_handler = std::move(handler);
    m_rebuildHandler = std::move(rebuild);
}

void InputEventBridge::deliver(const InputTriggerEvent &event)
{
    Handler handler;
    {
        QMutexLocker locker(&m_lock);
        handler = m_handler;
    }
    if (handler)
        handler(event);
}

void InputEventBridge::requestRebuild()
{
    RebuildHandler rebuild;
    {
        QMutexLocker locker(&m_lock);
        rebuild = m_rebuildHandler;
    }
    if (rebuild)
        rebuild();
}

InputEventBridge &inputBridge()
{
    static InputEventBridge bridge;
    return bridge;
}
