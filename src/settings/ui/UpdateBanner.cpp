#include "UpdateBanner.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "settings/UpdateManager.h"
#include "shell/ActionButton.h"
#include "shell/ShellEvents.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QVBoxLayout>

namespace brivello {

namespace {
const QString kNoNotes =
    QStringLiteral("Скачайте пакет и установите обновление поверх текущей версии.");
constexpr int kMaximumNotesLines = 2;
constexpr qreal kRadius = 13;
constexpr int kIconSize = 20;

// The text as it fits in `lines` lines of `width`, the last one elided.
QString fitLines(const QString &text, const QFont &font, int width, int lines)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QString fitted;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const QString piece = text.mid(line.textStart(), line.textLength());
        if (i == lines - 1 && line.textStart() + line.textLength() < text.size()) {
            const QFontMetrics metrics(font);
            fitted +=
                metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width);
            break;
        }
        fitted += piece;
    }
    layout.endLayout();
    return fitted;
}
} // namespace

UpdateBanner::UpdateBanner(UpdateManager &updates, QWidget *parent)
    : QWidget(parent)
    , m_updates(updates)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    m_heading = UpdateHeading::build(
        row,
        this,
        {kIconSize, kIconSize + 2, TextStyle::subheadline, QFont::DemiBold, TextStyle::caption, 2});
    m_title = m_heading.title;
    m_notes = m_heading.line;
    m_notes->setWordWrap(true);
    m_notes->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addSpacing(12);
    m_download =
        new ActionButton(QStringLiteral("Скачать"), QStringLiteral("arrow.down.circle"), this);
    row->addWidget(m_download, 0, Qt::AlignVCenter);
    connect(m_download, &QAbstractButton::clicked, this, [this] {
        m_updates.downloadAvailableRelease();
    });
    connect(&m_updates, &UpdateManager::stateChanged, this, &UpdateBanner::refresh);
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, &UpdateBanner::refresh);
    connect(
        &ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &UpdateBanner::applyLook);
    applyLook();
    refresh();
}

QString UpdateBanner::notesText(const QString &releaseNotes)
{
    return releaseNotes.isEmpty() ? BrivelloLocalization::string(kNoNotes) : releaseNotes;
}

void UpdateBanner::refresh()
{
    const std::optional<UpdateManager::Release> release = m_updates.availableRelease();
    setVisible(release.has_value());
    if (!release)
        return;
    m_title->setText(
        BrivelloLocalization::format(QStringLiteral("Доступна новая версия %@"), release->version));
    m_fullNotes = notesText(release->releaseNotes);
    elideNotes();
}

void UpdateBanner::elideNotes()
{
    const int width = qMax(40, m_notes->width());
    m_notes->setText(fitLines(m_fullNotes, m_notes->font(), width, kMaximumNotesLines));
}

void UpdateBanner::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    elideNotes();
}

void UpdateBanner::applyLook()
{
    const ColorScheme scheme = SettingsLook::scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    m_heading.applyLook(scheme);
    SettingsLook::setTextColor(m_notes, light ? blackA(0.66) : whiteA(0.72));
    update();
}

void UpdateBanner::paintEvent(QPaintEvent *)
{
    const bool light = BrivelloTheme::isLight(SettingsLook::scheme());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(light ? rgbA(0.18, 0.28, 0.40, 0.10) : whiteA(0.10));
    painter.setPen(QPen(light ? blackA(0.18) : whiteA(0.17), 1));
    painter.drawRoundedRect(shape, kRadius, kRadius);
}

} // namespace brivello
