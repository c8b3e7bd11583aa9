#pragma once

#include <QCoreApplication>
#include <QCoroTask>
#include <QDeadlineTimer>
#include <QThread>
#include <exception>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>

namespace brivello::test {

// Thrown by waitForResult when the task is still running at the limit; the failure is already
// recorded, the exception only ends the test.
struct WaitTimedOut : std::runtime_error
{
    WaitTimedOut()
        : std::runtime_error("the awaited task did not finish in time")
    {}
};

// Waits for the task on the event loop, at most `timeoutMs`, and returns its result or rethrows
// its error (QCoro::waitFor never returns from a task that throws, nor from one that never ends).
// The task is polled, never awaited, until it is done: one left running holds no reference here.
template <typename T> T waitForResult(QCoro::Task<T> &task, int timeoutMs = 60000)
{
    const QDeadlineTimer limit(timeoutMs);
    while (!task.isReady()) {
        if (limit.hasExpired()) {
            ADD_FAILURE() << "the awaited task did not finish within " << timeoutMs << " ms";
            throw WaitTimedOut();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    // A finished task: awaiting it neither suspends nor leaves anything behind.
    std::exception_ptr error;
    if constexpr (std::is_void_v<T>) {
        auto capture = [](QCoro::Task<T> &awaited, std::exception_ptr &caught) -> QCoro::Task<> {
            try {
                co_await awaited;
            } catch (...) {
                caught = std::current_exception();
            }
        };
        QCoro::Task<> done = capture(task, error);
        if (error)
            std::rethrow_exception(error);
    } else {
        std::optional<T> value;
        auto capture = [](QCoro::Task<T> &awaited,
                          std::optional<T> &result,
                          std::exception_ptr &caught) -> QCoro::Task<> {
            try {
                result.emplace(co_await awaited);
            } catch (...) {
                caught = std::current_exception();
            }
        };
        QCoro::Task<> done = capture(task, value, error);
        if (error)
            std::rethrow_exception(error);
        return std::move(*value);
    }
}

template <typename T> T waitForResult(QCoro::Task<T> &&task, int timeoutMs = 60000)
{
    return waitForResult(task, timeoutMs);
}

} // namespace brivello::test
