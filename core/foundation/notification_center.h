#pragma once

#include <QHash>
#include <QMutex>
#include <QString>

#include <functional>
#include <vector>

// In-process notifications by name. post() is synchronous: every observer of
// the name has run, on the posting thread, before post() returns. Observers may
// add or remove observers while being called.
class NotificationCenter
{
public:
    using Token = quint64;
    using Callback = std::function<void()>;

    static NotificationCenter &defaultCenter();

    Token addObserver(const QString &name, Callback callback);
    void removeObserver(Token token);
    void post(const QString &name);

private:
    struct Observer
    {
        Token token;
        QString name;
        Callback callback;
    };

    QMutex m_mutex;
    std::vector<Observer> m_observers;
    Token m_nextToken = 1;
};
