#include "Scheduler.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace brivello {

namespace {

class RealScheduler : public Scheduler
{
public:
    RealScheduler() { m_clock.start(); }
    double now() const override { return m_clock.nsecsElapsed() / 1e9; }

protected:
    void schedule(double seconds, std::function<void()> run) override
    {
        const int ms = seconds <= 0 ? 0 : static_cast<int>(seconds * 1000.0 + 0.5);
        QTimer::singleShot(ms, QCoreApplication::instance(), std::move(run));
    }

private:
    QElapsedTimer m_clock;
};

} // namespace

void ScheduledWork::cancel()
{
    if (m_state)
        m_state->cancelled = true;
}

bool ScheduledWork::isPending() const
{
    return m_state && !m_state->cancelled && !m_state->done;
}

Scheduler &Scheduler::shared()
{
    static RealScheduler real;
    return real;
}

ScheduledWork Scheduler::makeWork()
{
    ScheduledWork work;
    work.m_state = std::make_shared<ScheduledWork::State>();
    return work;
}

std::function<void()> Scheduler::guarded(const ScheduledWork &work, std::function<void()> run)
{
    return [state = work.m_state, run = std::move(run)] {
        if (state->cancelled || state->done)
            return;
        state->done = true;
        run();
    };
}

ScheduledWork Scheduler::after(double seconds, std::function<void()> work)
{
    ScheduledWork handle = makeWork();
    schedule(seconds, guarded(handle, std::move(work)));
    return handle;
}

void Scheduler::Delay::await_suspend(std::coroutine_handle<> handle)
{
    scheduler->after(seconds, [handle] { handle.resume(); });
}

void Scheduler::Yield::await_suspend(std::coroutine_handle<> handle)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [handle] { handle.resume(); });
}

void VirtualScheduler::schedule(double seconds, std::function<void()> run)
{
    m_queue.emplace(std::make_pair(m_now + std::max(0.0, seconds), m_sequence++), std::move(run));
}

void VirtualScheduler::advance(double seconds)
{
    // A small tolerance so that 0.3 + 0.05 reaches work due at 0.35.
    const double target = m_now + seconds + 1e-9;
    while (!m_queue.empty() && m_queue.begin()->first.first <= target) {
        auto node = m_queue.extract(m_queue.begin());
        m_now = node.key().first;
        node.mapped()();
    }
    m_now = target;
}

} // namespace brivello
