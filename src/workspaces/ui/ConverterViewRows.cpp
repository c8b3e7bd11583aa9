// ConverterView: the queue rows, their drag overlay and the remove button.
#include "ConverterView.h"
#include "SectionRowStyle.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace brivello {

namespace {

constexpr int kRemoveButton = 22;
constexpr int kStatusWidth = 130;

QString statusLine(const ConversionItem::Status &status)
{
    switch (status.kind) {
    case ConversionItem::Status::waiting:
        return BrivelloLocalization::string(QStringLiteral("Ожидает"));
    case ConversionItem::Status::converting:
        return BrivelloLocalization::string(QStringLiteral("Конвертация…"));
    case ConversionItem::Status::completed:
        return BrivelloLocalization::string(QStringLiteral("Готово"));
    case ConversionItem::Status::failed:
        break;
    }
    return SectionListRules::failureLine(BrivelloLocalization::string(status.message));
}

} // namespace

QString ConverterView::statusText(int row) const
{
    return statusLine(m_store.conversionItems().at(row).status);
}

int ConverterView::fileRowCount() const
{
    return int(m_store.conversionItems().size());
}

int ConverterView::fileRowHeight(int) const
{
    const double d = density();
    return int(std::ceil(14 * d * 1.3 + 3 * d + 10 * d * 1.3 + 14 * d));
}

QRect ConverterView::removeButtonRect(const QRect &row) const
{
    return QRect(row.right() - int(16 * density()) - kRemoveButton,
                 row.center().y() - kRemoveButton / 2,
                 kRemoveButton,
                 kRemoveButton);
}

void ConverterView::paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const
{
    const ConversionItem &item = m_store.conversionItems().at(row);
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const double d = density();
    const bool selected = m_store.converterSelectedItemIDs().contains(item.id);
    const bool current = isCurrent(item);
    const bool playing = current && m_player && m_player->isPlaying();
    SectionRowStyle::paintRowBackground(painter, rect, selected, hovered, scheme);

    QRect content = rect.adjusted(int(16 * d), int(7 * d), -int(16 * d), -int(7 * d));
    QString icon = QFileInfo(item.url.path()).suffix().toLower() == QLatin1String("mp3")
                       ? QStringLiteral("music.note")
                       : QStringLiteral("waveform");
    if (current)
        icon = playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
    const QColor iconColor =
        current ? SectionRowStyle::green() : SectionRowStyle::secondary(scheme);
    BrivelloSymbols::paint(painter,
                           QRectF(content.left(), content.top(), 24, content.height()),
                           icon,
                           14,
                           iconColor,
                           scheme);

    const QRect remove = removeButtonRect(rect);
    BrivelloTheme::paintInteractiveHover(painter, QRectF(remove), scheme, row == m_hoveredRemove);
    BrivelloSymbols::paint(painter,
                           QRectF(remove),
                           QStringLiteral("xmark"),
                           11,
                           SectionRowStyle::secondary(scheme),
                           scheme);

    const QRect statusRect = statusTextRect(rect);
    const QColor statusColor =
        item.status.kind == ConversionItem::Status::completed ? SectionRowStyle::green()
        : item.status.kind == ConversionItem::Status::failed  ? SectionRowStyle::red()
        : item.status.kind == ConversionItem::Status::converting
            ? BrivelloTheme::primary(scheme)
            : SectionRowStyle::secondary(scheme);
    SectionRowStyle::drawLine(painter,
                              statusRect,
                              statusLine(item.status),
                              SectionRowStyle::font(11 * d, QFont::Medium),
                              statusColor,
                              Qt::AlignRight);
    int right = statusRect.left() - 12;
    if (item.outputURL) {
        const QRect outputRect(right - 180, content.top(), 180, content.height());
        SectionRowStyle::drawLine(painter,
                                  outputRect,
                                  item.outputURL->fileName(),
                                  SectionRowStyle::font(11 * d),
                                  SectionRowStyle::secondary(scheme),
                                  Qt::AlignRight);
        right = outputRect.left() - 12;
    }
    const int left = content.left() + 24 + 12;
    const QFont nameFont = SectionRowStyle::font(14 * d, current ? QFont::DemiBold : QFont::Normal);
    const QFont folderFont = SectionRowStyle::font(10 * d);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int folderHeight = QFontMetrics(folderFont).height();
    const int top = content.center().y() - (nameHeight + int(3 * d) + folderHeight) / 2;
    SectionRowStyle::drawLine(painter,
                              QRect(left, top, right - left, nameHeight),
                              item.url.fileName(),
                              nameFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(
        painter,
        QRect(left, top + nameHeight + int(3 * d), right - left, folderHeight),
        QFileInfo(item.url.path()).absolutePath(),
        folderFont,
        SectionRowStyle::tertiary(scheme));
}

bool ConverterView::bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay)
{
    const ConversionItem &item = m_store.conversionItems().at(row);
    const QUuid id = item.id;
    const QUrl source = item.url;
    overlay.trackURL = item.outputURL.value_or(item.url);
    overlay.selectedURLs = selectedFiles();
    overlay.startedOnSelectedRow = m_store.converterSelectedItemIDs().contains(id);
    overlay.isDragEnabled = true;
    overlay.onDragBlocked = {};
    overlay.onExternalDrop = [this](const QList<QUrl> &urls) {
        m_store.importer().importForConversion(urls);
    };
    overlay.select = [this, id] { selectConversionItem(id, QApplication::keyboardModifiers()); };
    overlay.play = [this, source] { play(source); };
    return true;
}

QRect ConverterView::statusTextRect(const QRect &row) const
{
    const int inset = int(7 * density());
    return QRect(removeButtonRect(row).left() - 12 - kStatusWidth,
                 row.top() + inset,
                 kStatusWidth,
                 row.height() - 2 * inset);
}

bool ConverterView::pressFileRowControl(int row, const QPoint &pointInRow, int clickCount)
{
    const QRect local(QPoint(0, 0), m_list->rowRect(row).size());
    if (!removeButtonRect(local).contains(pointInRow))
        return false;
    // The second press of a double click would take the row that moved up under the pointer.
    if (clickCount == 1)
        remove(m_store.conversionItems().at(row).id);
    return true;
}

QString ConverterView::fileRowToolTip(int row, const QPoint &pointInRow) const
{
    const QRect local(QPoint(0, 0), m_list->rowRect(row).size());
    if (removeButtonRect(local).contains(pointInRow))
        return BrivelloLocalization::string(QStringLiteral("Убрать из очереди"));
    // A failure shows one line; the whole of ffmpeg's output is here.
    const ConversionItem &item = m_store.conversionItems().at(row);
    if (item.status.kind == ConversionItem::Status::failed &&
        statusTextRect(local).contains(pointInRow))
        return BrivelloLocalization::string(item.status.message);
    return {};
}

bool ConverterView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)) {
        int hovered = -1;
        if (event->type() == QEvent::MouseMove) {
            const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
            const int row = m_list->rowAt(pos);
            if (row >= 0 && removeButtonRect(m_list->rowRect(row)).contains(pos))
                hovered = row;
        }
        if (hovered != m_hoveredRemove) {
            m_hoveredRemove = hovered;
            m_list->viewport()->update();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace brivello
