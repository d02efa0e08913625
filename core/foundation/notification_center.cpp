#include "notification_center.h"

#include <QMutexLocker>

#include <algorithm>

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString &name, Callback callback)
{
    QMutexLocker locker(&m_mutex);
    const Token token = m_nextToken++;
    m_observers.push_back(Observer{token, name, std::move(callback)});
    return token;
}

void NotificationCenter::removeObserver(Token token)
{
    QMutexLocker locker(&m_mutex);
    m_observers.erase(std::remove_if(m_observers.begin(), m_observers.end(),
                                     [token](const Observer &o) { return o.token == token; }),
                      m_observers.end());
}

void NotificationCenter::post(const QString &name)
{
    // Copy the matching callbacks first: they run without the lock held, so they
    // may post or (un)register themselves.
    std::vector<Callback> callbacks;
    {
        QMutexLocker locker(&m_mutex);
        for (const Observer &o : m_observers) {
            if (o.name == name)
                callbacks.push_back(o.callback);
        }
    }
    for (const Callback &callback : callbacks)
        callback();
}
