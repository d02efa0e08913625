#include "main_thread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

bool MainThread::isCurrent()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void MainThread::post(std::function<void()> work)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr || !work)
        return;
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

void MainThread::post(QObject *context, std::function<void()> work)
{
    if (context == nullptr || !work)
        return;
    QPointer<QObject> guard(context);
    post([guard, work = std::move(work)] {
        if (guard)
            work();
    });
}
