#include "WorkspaceStatusBar.h"

#include "library/AudioPlayer.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QPainter>
#include <QTextLayout>
#include <QVariantAnimation>

namespace brivello {

WorkspaceStatusBar::WorkspaceStatusBar(LibraryStore &store,
                                       const SectionCounts &counts,
                                       AudioPlayer &player,
                                       QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_counts(counts)
    , m_player(player)
    , m_fadeAnimation(new QVariantAnimation(this))
{
    setFixedHeight(kHeight);
    m_fadeAnimation->setDuration(180);
    m_fadeAnimation->setEasingCurve(QEasingCurve::OutCubic);
    m_fadeAnimation->setStartValue(0.0);
    m_fadeAnimation->setEndValue(1.0);
    connect(m_fadeAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_fade = v.toReal();
        update();
    });
    for (auto signal : {&LibraryStore::workspaceStatusChanged,
                        &LibraryStore::activeTabChanged,
                        &LibraryStore::tracksChanged,
                        &LibraryStore::selectedIDChanged,
                        &LibraryStore::selectedIDsChanged,
                        &LibraryStore::conversionItemsChanged,
                        &LibraryStore::analysisTracksChanged,
                        &LibraryStore::duplicateSearchChanged,
                        &LibraryStore::favoriteGenreFilterChanged,
                        &LibraryStore::favoriteOnlyUntaggedChanged})
        connect(&m_store, signal, this, &WorkspaceStatusBar::refresh);
    connect(&m_store.analysis(),
            &AnalysisQueues::qualityAnalysesChanged,
            this,
            &WorkspaceStatusBar::refresh);
    connect(&m_player, &AudioPlayer::currentIDChanged, this, &WorkspaceStatusBar::refresh);
    connect(&m_player, &AudioPlayer::isPlayingChanged, this, &WorkspaceStatusBar::refresh);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &WorkspaceStatusBar::refresh);
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
    refresh();
}

WorkspaceStatusSummary WorkspaceStatusBar::summary() const
{
    return WorkspaceStatusSummary(WorkspaceStatusInputs::read(m_store, m_counts, &m_player));
}

void WorkspaceStatusBar::refresh()
{
    const std::optional<LibraryStore::WorkspaceStatus> transient = m_store.workspaceStatus();
    const std::optional<QUuid> transientID =
        transient ? std::optional<QUuid>(transient->id) : std::nullopt;
    const bool playing = m_player.isPlaying();
    const bool changed = transientID != m_transientID || playing != m_playing;
    m_transientID = transientID;
    m_playing = playing;
    if (changed && isVisible() && !m_shown.isNull() && !ShellEvents::instance().reduceMotion()) {
        m_previous = m_shown;
        m_fadeAnimation->stop();
        m_fade = 0;
        m_fadeAnimation->start();
    }
    // Painting reuses this reading: each one walks the section's list while a track plays.
    WorkspaceStatusSummary next = summary();
    // A metadata batch refreshes the block many times a second without changing what it shows;
    // repainting it would repaint the sidebar's glass and the window's glows under it.
    const bool sameLook = !changed && m_summary && looksTheSame(*m_summary, next);
    m_summary = std::move(next);
    setAccessibleName(m_summary->message());
    if (!sameLook)
        update();
}

bool WorkspaceStatusBar::looksTheSame(const WorkspaceStatusSummary &a,
                                      const WorkspaceStatusSummary &b)
{
    const WorkspaceStatusSummary::Lines linesA = a.sidebarText();
    const WorkspaceStatusSummary::Lines linesB = b.sidebarText();
    return linesA.primary == linesB.primary && linesA.detail == linesB.detail &&
           a.icon() == b.icon() && a.showsPlayingDot() == b.showsPlayingDot() &&
           a.hasTransient() == b.hasTransient() && (!a.hasTransient() || a.tone() == b.tone());
}

void WorkspaceStatusBar::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(light ? QPen(blackA(0.085), 1) : QPen(Qt::NoPen));
    painter.setBrush(light ? rgbA(0.978, 0.976, 0.969) : blackA(0.24));
    painter.drawRoundedRect(shape, 12, 12);

    // The content goes through a pixmap so that the next change can fade it out.
    const qreal ratio = devicePixelRatioF();
    QPixmap content(size() * ratio);
    content.setDevicePixelRatio(ratio);
    content.fill(Qt::transparent);
    {
        QPainter contentPainter(&content);
        contentPainter.setRenderHint(QPainter::Antialiasing);
        paintContent(contentPainter, m_summary ? *m_summary : summary());
    }
    if (m_fade < 1 && !m_previous.isNull()) {
        painter.setOpacity(1 - m_fade);
        painter.drawPixmap(0, 0, m_previous);
        painter.setOpacity(m_fade);
    }
    painter.drawPixmap(0, 0, content);
    m_shown = content;
}

void WorkspaceStatusBar::paintContent(QPainter &painter, const WorkspaceStatusSummary &status) const
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    QColor foreground = light ? blackA(0.72) : BrivelloTheme::secondary(scheme);
    if (status.hasTransient()) {
        using Tone = LibraryStore::WorkspaceStatus::Tone;
        switch (status.tone()) {
        case Tone::success:
            foreground = rgbA(0.2, 0.7, 0.3);
            break;
        case Tone::warning:
            foreground = rgbA(0.95, 0.58, 0.1);
            break;
        case Tone::neutral:
            foreground = BrivelloTheme::secondary(scheme);
            break;
        }
    }
    const WorkspaceStatusSummary::Lines lines = status.sidebarText();
    const QFont primaryFont = BrivelloTheme::font(TextStyle::caption, QFont::Medium);
    const QFontMetricsF metrics(primaryFont);
    // The icon and text column are top-aligned with each other; the pair is centred.
    const QRectF padded = QRectF(rect()).adjusted(10, 9, -10, -9);
    const bool twoLines =
        lines.detail || metrics.horizontalAdvance(lines.primary) > padded.width() - 24;
    const qreal textHeight = twoLines ? metrics.height() * 2 + 2 : metrics.height();
    const qreal blockHeight = qMax<qreal>(16, textHeight);
    const QRectF content(
        padded.left(), padded.center().y() - blockHeight / 2, padded.width(), blockHeight);
    BrivelloSymbols::paint(
        painter, content.topLeft(), status.icon(), BrivelloIconScale::compact, foreground, scheme);
    if (status.showsPlayingDot()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(rgbA(0.2, 0.78, 0.35, 0.74));
        painter.drawEllipse(QRectF(content.left() + 16 - 5 + 3, content.top() - 2, 5, 5));
    }
    const QRectF text(content.left() + 24, content.top(), content.width() - 24, textHeight);
    painter.setFont(primaryFont);
    painter.setPen(foreground);
    if (lines.detail) {
        const qreal lineHeight = metrics.height();
        const qreal top = text.top();
        painter.drawText(QRectF(text.left(), top, text.width(), lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(lines.primary, Qt::ElideRight, text.width()));
        const QFont detailFont = BrivelloTheme::font(TextStyle::caption2, QFont::Medium);
        painter.setFont(detailFont);
        painter.setPen(light ? blackA(0.6) : whiteA(0.5));
        painter.drawText(
            QRectF(text.left(), top + lineHeight + 2, text.width(), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(detailFont).elidedText(*lines.detail, Qt::ElideRight, text.width()));
    } else {
        // Up to two lines, the second cut at the tail.
        QString first = lines.primary;
        QString second;
        if (metrics.horizontalAdvance(first) > text.width()) {
            QTextLayout layout(first, primaryFont);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            line.setLineWidth(text.width());
            layout.endLayout();
            second = first.mid(line.textLength());
            first = first.left(line.textLength()).trimmed();
        }
        if (second.isEmpty()) {
            painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, first);
        } else {
            const qreal lineHeight = metrics.height();
            const qreal top = text.top();
            painter.drawText(QRectF(text.left(), top, text.width(), lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             first);
            painter.drawText(QRectF(text.left(), top + lineHeight, text.width(), lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(second.trimmed(), Qt::ElideRight, text.width()));
        }
    }
}

} // namespace brivello
