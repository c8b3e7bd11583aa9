#pragma once

#include <QCoroTask>
#include <exception>

namespace brivello::test {

// QCoro::waitFor never returns from a task that throws: this waits for the task and rethrows
// its error in the caller instead.
template <typename T> T waitForResult(QCoro::Task<T> &task)
{
    struct Outcome
    {
        T value{};
        std::exception_ptr error;
    };
    auto capture = [](QCoro::Task<T> &awaited) -> QCoro::Task<Outcome> {
        Outcome outcome;
        try {
            outcome.value = co_await awaited;
        } catch (...) {
            outcome.error = std::current_exception();
        }
        co_return outcome;
    };
    Outcome outcome = QCoro::waitFor(capture(task));
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    return std::move(outcome.value);
}

} // namespace brivello::test
