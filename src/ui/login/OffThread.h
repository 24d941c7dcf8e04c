#pragma once

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <memory>
#include <utility>

// Runs work (the slow derivation of a login's key) on a thread of its own and waits for it in a local event loop,
// under a busy cursor: the windows keep painting and the timers keep ticking meanwhile. What the user types or
// clicks waits until the work is done, so nothing can run twice or half. work must touch nothing the window uses.
// An exception in the work (memory short, no random numbers) would end the program from the other thread: it
// gives the empty result instead, which the caller reports as a failed derivation.
template <class Work> auto RunOffThread(Work work)
{
    decltype(work()) result{};
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            result = work();
        } catch (...) {
            result = {};
        }
    }));
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    QGuiApplication::restoreOverrideCursor();
    return result;
}
