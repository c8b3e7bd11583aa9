#include "WaveformScrubber.h"

#include "WaveformScrubberStyleKey.h"
#include "audiofiles/AVFormatInput.h"
#include "audiofiles/OperationCancelled.h"
#include "platform/LocalFile.h"
#include "waveform/AudioProcessingError.h"
#include "waveform/AudioProcessor.h"
#include "waveform/WaveformCache.h"
#include "waveform/WaveformCacheError.h"
#include "waveform/WaveformScrubberRenderer.h"

#include <QCoroFuture>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QtConcurrent>
#include <cmath>
#include <cstdio>
#include <limits>

extern "C" {
#include <libavformat/avformat.h>
}

namespace brivello {

namespace {

QString describe(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const WaveformCacheError &e) {
        return e.errorDescription();
    } catch (const AudioProcessingError &e) {
        return e.errorDescription();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

void reportFailure(const QString &description)
{
    std::printf("WaveformScrubber failed to process audio: %s\n", qPrintable(description));
    std::fflush(stdout);
}

// The file's duration in seconds: nothing inside when the container states none (a stated 0
// counts), an error when the file cannot be opened as media.
struct DurationProbe
{
    bool opened = false;
    std::optional<double> seconds;
};

DurationProbe probeDuration(const QUrl &url)
{
    DurationProbe probe;
    const auto input = AVFormatInput::open(LocalFile::path(url), false);
    probe.opened = input != nullptr;
    if (!input)
        return probe;
    double seconds = std::numeric_limits<double>::quiet_NaN();
    if (const AVFormatContext *context = input->context(); context->duration != AV_NOPTS_VALUE)
        seconds = double(context->duration) / double(AV_TIME_BASE);
    else if (const AVStream *stream = input->audioStream();
             stream && stream->duration != AV_NOPTS_VALUE)
        seconds = double(stream->duration) * av_q2d(stream->time_base);
    if (std::isfinite(seconds))
        probe.seconds = seconds;
    return probe;
}

} // namespace

WaveformScrubber::WaveformScrubber(ScrubberConfig config,
                                   std::shared_ptr<const WaveformDrawing> drawer,
                                   QUrl url,
                                   double progress,
                                   QWidget *parent,
                                   WaveformCache *cache)
    : QWidget(parent)
    , m_config(std::move(config))
    , m_drawer(std::move(drawer))
    , m_url(std::move(url))
    , m_cache(cache ? cache : &WaveformCache::shared())
    , m_progress(progress)
    , m_localProgress(progress)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

double WaveformScrubber::clamp(double value)
{
    const double capped = std::isnan(value) ? 1.0 : std::min(value, 1.0);
    return capped < 0.0 ? 0.0 : capped;
}

void WaveformScrubber::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    if (!m_isDragging)
        m_localProgress = progress;
    update();
}

void WaveformScrubber::setConfig(ScrubberConfig config)
{
    m_config = std::move(config);
    update();
}

void WaveformScrubber::setUrl(const QUrl &url)
{
    if (url == m_url)
        return;
    m_url = url;
    m_probedURL.clear();
    // Another file's waveform must not stand in for this one's.
    m_samples.clear();
    update();
    restartLoadIfNeeded();
}

void WaveformScrubber::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const WaveformScrubberStyleKey::Style style = WaveformScrubberStyleKey::resolve(this);
    m_renderer.paint(
        painter, QSizeF(size()), m_samples, m_drawer, displayedProgress(), m_config, *style);
}

void WaveformScrubber::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_viewSize = size();
    restartLoadIfNeeded();
}

void WaveformScrubber::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_viewSize = size();
    restartLoadIfNeeded();
}

void WaveformScrubber::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A drag cut short by the view going away writes no progress.
    m_isDragging = false;
    if (m_hasActiveGesture) {
        m_hasActiveGesture = false;
        emit gestureActiveChanged(false);
    }
}

void WaveformScrubber::restartLoadIfNeeded()
{
    if (!isVisible() || (m_url == m_loadURL && m_viewSize == m_loadSize))
        return;
    m_loadURL = m_url;
    m_loadSize = m_viewSize;
    const quint64 ticket = ++m_loadTicket;
    if (m_viewSize.width() > 0)
        loadAudioData(ticket);
}

QCoro::Task<> WaveformScrubber::loadAudioData(quint64 ticket)
{
    QPointer<WaveformScrubber> self(this);
    const auto current = [&] { return self && self->m_loadTicket == ticket; };
    const QUrl url = m_url;
    // The old drawing stays until the new one is ready: resizing must not flicker.
    std::vector<float> full;
    std::exception_ptr failure;
    try {
        auto fetching = m_cache->samples(url, false);
        full = co_await fetching;
    } catch (const OperationCancelled &) {
        co_return;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!current())
        co_return;
    if (failure) {
        reportFailure(describe(failure));
        co_return;
    }

    const qint64 count = m_drawer->sampleCount(QSizeF(m_viewSize));
    QFuture<std::vector<float>> fitting =
        QtConcurrent::run([full = std::move(full), count, strategy = m_drawer->upsampleStrategy()] {
            return AudioProcessor::prepareSamples(full, count, strategy);
        });
    std::vector<float> fitted = co_await fitting;
    if (!current())
        co_return;
    m_samples = std::move(fitted);
    update();
    emit samplesChanged();

    if (m_probedURL == url)
        co_return;
    QFuture<DurationProbe> probing = QtConcurrent::run(&probeDuration, url);
    const DurationProbe probe = co_await probing;
    if (!current())
        co_return;
    m_probedURL = url;
    if (!probe.opened)
        reportFailure(QStringLiteral("The file cannot be opened as media."));
    else if (probe.seconds)
        emit infoLoaded(AudioInfo{std::max(0.0, *probe.seconds)});
}

void WaveformScrubber::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // A press counts at once: the drag has no minimum distance.
    m_isDragging = true;
    dragChanged(event->position().x());
}

void WaveformScrubber::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_isDragging)
        return QWidget::mouseMoveEvent(event);
    dragChanged(event->position().x());
}

void WaveformScrubber::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_isDragging || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    dragEnded(event->position().x());
}

void WaveformScrubber::dragChanged(double x)
{
    if (!(m_viewSize.width() > 0))
        return;
    if (!m_hasActiveGesture) {
        m_hasActiveGesture = true;
        emit gestureActiveChanged(true);
    }
    m_localProgress = clamp(x / m_viewSize.width());
    update();
}

void WaveformScrubber::dragEnded(double x)
{
    m_isDragging = false;
    if (m_viewSize.width() > 0) {
        const double p = clamp(x / m_viewSize.width());
        m_localProgress = p;
        m_progress = p;
        emit progressEdited(p);
    }
    m_hasActiveGesture = false;
    emit gestureActiveChanged(false);
    update();
}

} // namespace brivello
