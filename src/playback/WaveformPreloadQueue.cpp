#include "WaveformPreloadQueue.h"

namespace brivello {

namespace {
WaveformPreloadQueue *g_installed = nullptr;
}

WaveformPreloadQueue::WaveformPreloadQueue(QObject *parent)
    : QObject(parent)
{}

WaveformPreloadQueue &WaveformPreloadQueue::shared()
{
    static WaveformPreloadQueue *builtIn = new WaveformPreloadQueue;
    return g_installed ? *g_installed : *builtIn;
}

void WaveformPreloadQueue::setShared(WaveformPreloadQueue *queue)
{
    g_installed = queue;
}

void WaveformPreloadQueue::enqueue(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (m_queued.contains(url))
            continue;
        m_queued.insert(url);
        m_pending.append(url);
    }
}

void WaveformPreloadQueue::setPlaybackActive(bool active, const QUrl &currentURL)
{
    Q_UNUSED(active);
    Q_UNUSED(currentURL);
}

} // namespace brivello
