#pragma once

#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>

namespace brivello {

// Process-wide queue of audio files whose waveform envelopes are computed ahead of playback,
// main thread. This base only keeps the queue; the preloading worker derives from it, and
// tests install a recording fake through setShared().
class WaveformPreloadQueue : public QObject
{
    Q_OBJECT
public:
    explicit WaveformPreloadQueue(QObject *parent = nullptr);

    static WaveformPreloadQueue &shared();
    // Tests install their own; nullptr restores the built-in one.
    static void setShared(WaveformPreloadQueue *queue);

    // Queues each address once; an address already queued is not queued twice.
    virtual void enqueue(const QList<QUrl> &urls);
    virtual void setPlaybackActive(bool active, const QUrl &currentURL);

    QList<QUrl> pendingURLs() const { return m_pending; }

protected:
    QList<QUrl> m_pending;
    QSet<QUrl> m_queued;
};

} // namespace brivello
