#include "main_thread.h"
#include "timer_scheduler.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

namespace {

TEST(MainThread, PostFromWorkerRunsOnMainThreadLater)
{
    QEventLoop loop;
    std::atomic<bool> ranOnMain{false};
    bool workerSawMain = true;
    QThread *worker = QThread::create([&] {
        workerSawMain = MainThread::isCurrent();
        MainThread::post([&] {
            ranOnMain = MainThread::isCurrent();
            loop.quit();
        });
    });
    worker->start();
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); }); // guard against a hang only
    EXPECT_EQ(loop.exec(), 0);
    worker->wait();
    delete worker;
    EXPECT_FALSE(workerSawMain);
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(MainThread::isCurrent());
}

TEST(MainThread, PostNeverRunsInline)
{
    bool ran = false;
    MainThread::post([&] { ran = true; });
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST(MainThread, WorkForDestroyedContextIsDropped)
{
    auto *context = new QObject;
    bool ran = false;
    MainThread::post(context, [&] { ran = true; });
    delete context;
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

// The alert watchdog relies on this: a main-loop timer fires while a modal
// dialog runs its own event loop.
TEST(TimerScheduler, MainTimerFiresInsideModalLoop)
{
    QDialog dialog;
    auto timer = TimerScheduler::main().schedule(0, false, [&] { dialog.done(42); });
    EXPECT_EQ(dialog.exec(), 42);
    EXPECT_FALSE(timer->isValid()) << "a one-shot timer is spent once it fired";
}

TEST(TimerScheduler, RepeatingTimerRunsUntilInvalidated)
{
    QEventLoop loop;
    int ticks = 0;
    std::unique_ptr<ScheduledTimer> timer;
    timer = TimerScheduler::main().schedule(0, true, [&] {
        if (++ticks == 3) {
            timer->invalidate();
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        }
    });
    loop.exec();
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(timer->isValid());
}

TEST(TimerScheduler, DestroyedHandleNeverFires)
{
    bool fired = false;
    auto timer = TimerScheduler::main().schedule(0, false, [&] { fired = true; });
    timer.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(fired);
}

} // namespace
