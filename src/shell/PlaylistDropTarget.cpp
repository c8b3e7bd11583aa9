#include "PlaylistDropTarget.h"

#include "BrivelloTheme.h"
#include "PlaylistDrops.h"
#include "ShellEvents.h"
#include "library/DroppedFiles.h"
#include "platform/BrivelloLocalization.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QDragEnterEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace brivello {

PlaylistDropTarget::PlaylistDropTarget(Kind kind, LibraryStore &store, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_store(store)
{
    setAcceptDrops(true);
    if (kind == Kind::zone) {
        setObjectName(QStringLiteral("playlistDropZone"));
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(new WorkspaceEmptyState(QStringLiteral("music.note.list"),
                                                  QStringLiteral("Перетащите аудио сюда"),
                                                  QStringLiteral("Файлы или целые папки."),
                                                  this));
    } else {
        setObjectName(QStringLiteral("playlistDropStrip"));
        setAttribute(Qt::WA_Hover);
        connect(&ShellEvents::instance(),
                &ShellEvents::languageChanged,
                this,
                qOverload<>(&QWidget::update));
        connect(&ShellEvents::instance(),
                &ShellEvents::appearanceChanged,
                this,
                qOverload<>(&QWidget::update));
    }
}

QSize PlaylistDropTarget::sizeHint() const
{
    if (m_kind == Kind::zone)
        return QWidget::sizeHint();
    const QFont font = BrivelloTheme::font(TextStyle::caption);
    return {200, QFontMetrics(font).height() + 20};
}

void PlaylistDropTarget::paintEvent(QPaintEvent *)
{
    if (m_kind == Kind::zone)
        return;
    const ColorScheme scheme = ShellEvents::instance().scheme();
    QPainter painter(this);
    painter.fillRect(rect(), BrivelloTheme::isLight(scheme) ? blackA(0.045) : whiteA(0.055));
    if (m_hovering)
        painter.fillRect(rect(), BrivelloTheme::hoverFill(scheme));
    painter.setFont(BrivelloTheme::font(TextStyle::caption));
    painter.setPen(BrivelloTheme::secondary(scheme));
    painter.drawText(
        rect().adjusted(10, 10, -10, -10),
        Qt::AlignCenter,
        BrivelloLocalization::string(QStringLiteral("Перетащите ещё файлы или папки")));
}

void PlaylistDropTarget::enterEvent(QEnterEvent *event)
{
    m_hovering = true;
    update();
    QWidget::enterEvent(event);
}

void PlaylistDropTarget::leaveEvent(QEvent *event)
{
    m_hovering = false;
    update();
    QWidget::leaveEvent(event);
}

void PlaylistDropTarget::dragEnterEvent(QDragEnterEvent *event)
{
    if (droppedFileURLs(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PlaylistDropTarget::dragLeaveEvent(QDragLeaveEvent *event)
{
    QWidget::dragLeaveEvent(event);
}

void PlaylistDropTarget::dropEvent(QDropEvent *event)
{
    // Only a drop that gave at least one file counts as accepted.
    if (PlaylistDrops::importDroppedFilesIntoPlaylist(m_store, event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace brivello
