#pragma once

#include <QObject>
#include <coroutine>
#include <functional>
#include <map>
#include <memory>

namespace brivello {

// A pending piece of delayed work; cancel() makes it never run. Copies share one state.
class ScheduledWork
{
public:
    ScheduledWork() = default;
    void cancel();
    bool isPending() const;

private:
    friend class Scheduler;
    struct State
    {
        bool cancelled = false;
        bool done = false;
    };
    std::shared_ptr<State> m_state;
};

// The seam for every delay, debounce and time-out: `now` and `after`. The real scheduler uses
// Qt timers on the main thread; a component that waits is handed its scheduler, so tests
// hand it a VirtualScheduler and advance time by hand.
class Scheduler
{
public:
    virtual ~Scheduler() = default;

    // The real clock.
    static Scheduler &shared();

    virtual double now() const = 0; // seconds on a monotonic clock
    ScheduledWork after(double seconds, std::function<void()> work);

    // co_await m_scheduler.sleep(0.35);
    struct Delay
    {
        Scheduler *scheduler;
        double seconds;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}
    };
    Delay sleep(double seconds) { return Delay{this, seconds}; }

    // One turn of the event loop: a zero-delay timer, whatever the scheduler.
    struct Yield
    {
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}
    };
    static Yield yield() { return {}; }

protected:
    virtual void schedule(double seconds, std::function<void()> run) = 0;
    static std::function<void()> guarded(const ScheduledWork &work, std::function<void()> run);
    static ScheduledWork makeWork();
};

// Test scheduler: time stands still until advance() runs what fell due, in time order.
class VirtualScheduler : public Scheduler
{
public:
    double now() const override { return m_now; }
    void advance(double seconds);
    int pendingCount() const { return static_cast<int>(m_queue.size()); }

protected:
    void schedule(double seconds, std::function<void()> run) override;

private:
    double m_now = 1000.0;
    quint64 m_sequence = 0;
    std::multimap<std::pair<double, quint64>, std::function<void()>> m_queue;
};

} // namespace brivello
