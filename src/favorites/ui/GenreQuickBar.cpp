#include "GenreQuickBar.h"

#include "GenreCapsuleButton.h"
#include "GenreCommandPalette.h"
#include "GenreToolsLook.h"
#include "favorites/GenreTools.h"
#include "library/GenreEditing.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ContextualHint.h"
#include "shell/ShellEvents.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace brivello {

namespace {

// The bar's title: the symbol and "Жанры" side by side, 9 pt apart.
class QuickBarTitle : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const ColorScheme scheme = ShellEvents::instance().scheme();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::regular);
        BrivelloSymbols::paint(painter,
                               QPointF(0, (height() - icon) / 2),
                               QStringLiteral("music.note.list"),
                               BrivelloIconScale::regular,
                               BrivelloTheme::primary(scheme),
                               scheme);
        painter.setFont(font());
        painter.setPen(BrivelloTheme::primary(scheme));
        painter.drawText(QRectF(icon + 9, 0, width() - icon - 9, height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         text());
    }
    QSize sizeHint() const override
    {
        const qreal icon = BrivelloTheme::iconFrame(BrivelloIconScale::regular);
        return QSize(int(icon + 9 + QFontMetricsF(font()).horizontalAdvance(text())) + 2,
                     int(std::max<qreal>(icon, QFontMetricsF(font()).height())));
    }
};

GenreCapsuleButton *labelledButton(const QString &symbol, QWidget *parent)
{
    auto *button = new GenreCapsuleButton(GenreCapsuleButton::Shape::capsule, parent);
    button->setSymbol(symbol);
    button->setPadding(9, 6);
    button->setTextStyle(TextStyle::callout, QFont::Normal);
    return button;
}

} // namespace

GenreQuickBar::GenreQuickBar(LibraryStore &store, UndoStackProvider undoStack, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_undoStack(std::move(undoStack))
{
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(10);

    m_title = new QuickBarTitle(this);
    m_title->setFont(BrivelloTheme::font(TextStyle::callout, QFont::Bold));
    row->addWidget(m_title);

    auto *chipContent = new QWidget;
    m_chipRow = new QHBoxLayout(chipContent);
    m_chipRow->setContentsMargins(0, 0, 0, 0);
    m_chipRow->setSpacing(6);
    row->addWidget(GenreToolsLook::sideways(chipContent, kHeight, this), 1);

    m_search = labelledButton(QStringLiteral("magnifyingglass"), this);
    connect(m_search, &QAbstractButton::clicked, this, &GenreQuickBar::showPalette);
    row->addWidget(m_search);

    m_untagged = labelledButton(QStringLiteral("line.3.horizontal.decrease.circle"), this);
    connect(m_untagged, &QAbstractButton::clicked, this, [this] {
        m_store.setFavoriteOnlyUntagged(!m_store.favoriteOnlyUntagged());
    });
    row->addWidget(m_untagged);

    m_clear = new GenreCapsuleButton(GenreCapsuleButton::Shape::circle, this);
    m_clear->setSymbol(QStringLiteral("tag.slash"));
    m_clear->setFixedExtent(30);
    m_clear->setFixedSize(30, 30);
    ContextualHint::attach(m_clear,
                           m_store.services().schedulerService(),
                           QStringLiteral("Очистить жанр"),
                           QStringLiteral("Удаляет жанр у одного или у всех выделенных треков."));
    connect(m_clear, &QAbstractButton::clicked, this, &GenreQuickBar::clearSelection);
    row->addWidget(m_clear);

    connect(&m_store, &LibraryStore::quickGenreSlotsRawChanged, this, &GenreQuickBar::rebuildChips);
    connect(&m_store, &LibraryStore::selectedIDsChanged, this, &GenreQuickBar::refreshSelection);
    connect(&m_store, &LibraryStore::selectedIDChanged, this, &GenreQuickBar::refreshSelection);
    connect(
        &m_store, &LibraryStore::favoriteOnlyUntaggedChanged, this, &GenreQuickBar::refreshToggle);
    connect(&m_store.settings(),
            &LibrarySettings::hotkeyGenrePaletteChanged,
            this,
            &GenreQuickBar::retranslate);
    connect(
        &ShellEvents::instance(), &ShellEvents::languageChanged, this, &GenreQuickBar::retranslate);
    NotificationCenter::defaultCenter().observe(
        brivelloShowGenrePalette, nullptr, this, [this](const Notification &) {
            if (m_store.activeTab() == LibraryStore::LibraryTab::favorites)
                showPalette();
        });
    rebuildChips();
    refreshToggle();
    retranslate();
}

GenreQuickBar::~GenreQuickBar()
{
    NotificationCenter::defaultCenter().removeObservers(this);
    delete m_popup;
}

void GenreQuickBar::rebuildChips()
{
    qDeleteAll(m_chips);
    m_chips.clear();
    while (QLayoutItem *item = m_chipRow->takeAt(0))
        delete item;
    for (const GenreTools::SlotChip &slot :
         GenreTools::slotChips(m_store.genreEditing().quickGenreSlots())) {
        auto *chip =
            new GenreCapsuleButton(GenreCapsuleButton::Shape::capsule, m_chipRow->parentWidget());
        chip->setText(slot.genre);
        chip->setBadge(slot.number);
        chip->setPadding(m_compact > 0 ? kCompactChipPadding : kChipPadding, 6);
        chip->setFixedSize(chip->sizeHint());
        connect(
            chip, &QAbstractButton::clicked, this, [this, genre = slot.genre] { assign(genre); });
        m_chipRow->addWidget(chip);
        chip->show();
        m_chips.append(chip);
    }
    m_chipRow->addStretch(1);
    retranslate();
    refreshSelection();
}

void GenreQuickBar::refreshSelection()
{
    const bool any = !m_store.sections().activeSelection().isEmpty();
    for (GenreCapsuleButton *chip : m_chips) {
        chip->setEnabled(any);
        chip->setHoverHighlight(any);
    }
    m_clear->setEnabled(any);
    m_clear->setHoverHighlight(any);
}

void GenreQuickBar::refreshToggle()
{
    const bool on = m_store.favoriteOnlyUntagged();
    m_untagged->setSymbol(on ? QStringLiteral("line.3.horizontal.decrease.circle.fill")
                             : QStringLiteral("line.3.horizontal.decrease.circle"));
    m_untagged->setFill(on ? GenreCapsuleButton::Fill::active : GenreCapsuleButton::Fill::neutral);
    m_untagged->setHoverHighlight(!on);
}

void GenreQuickBar::retranslate()
{
    const QString title = BrivelloLocalization::string(QStringLiteral("Жанры"));
    m_title->setText(m_compact > 1 ? QString() : title);
    m_title->setAccessibleName(title);
    m_title->updateGeometry();
    for (GenreCapsuleButton *chip : m_chips) {
        chip->setToolTip(BrivelloLocalization::format(
            QStringLiteral("Присвоить «%@» — клавиша %d"), chip->text(), chip->badge()));
        chip->setAccessibleDescription(
            BrivelloLocalization::format(QStringLiteral("Клавиша %d"), chip->badge()));
    }
    const QString search = BrivelloLocalization::string(QStringLiteral("Поиск"));
    m_search->setText(m_compact > 1 ? QString() : search);
    m_search->setAccessibleName(search);
    m_search->setToolTip(BrivelloLocalization::format(QStringLiteral("Найти жанр — %@"),
                                                      m_store.settings().hotkeyGenrePalette()));
    const QString untagged = BrivelloLocalization::string(QStringLiteral("Без жанра"));
    m_untagged->setText(m_compact > 1 ? QString() : untagged);
    m_untagged->setAccessibleName(untagged);
    m_untagged->setToolTip(
        BrivelloLocalization::string(QStringLiteral("Показывать только треки без жанра")));
    m_clear->setAccessibleName(BrivelloLocalization::string(QStringLiteral("Очистить жанр")));
    for (GenreCapsuleButton *button : {m_search, m_untagged})
        button->setFixedSize(button->sizeHint());
    fitButtons();
}

void GenreQuickBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitButtons();
}

void GenreQuickBar::fitButtons()
{
    // The width of the full form, measured whichever form the bar shows now.
    const auto textWidth = [](const QWidget *widget) {
        return qCeil(QFontMetricsF(widget->font()).horizontalAdvance(widget->accessibleName()));
    };
    const QMargins margins = layout()->contentsMargins();
    int needed = margins.left() + margins.right() + 4 * layout()->spacing() + m_clear->width();
    needed += m_title->sizeHint().width() + (m_title->text().isEmpty() ? textWidth(m_title) : 0);
    for (GenreCapsuleButton *button : {m_search, m_untagged}) {
        needed += button->sizeHint().width() +
                  (button->text().isEmpty() ? textWidth(button) + kSymbolTextGap : 0);
    }
    const int paddingGain = 2 * (kChipPadding - kCompactChipPadding);
    for (GenreCapsuleButton *chip : std::as_const(m_chips))
        needed += chip->width() + (m_compact > 0 ? paddingGain : 0) + m_chipRow->spacing();
    // Closer chips first; the texts go only when that is not enough.
    const int closer = needed - paddingGain * int(m_chips.size());
    const int compact = needed <= width() ? 0 : closer <= width() ? 1 : 2;
    if (compact == m_compact)
        return;
    m_compact = compact;
    for (GenreCapsuleButton *chip : std::as_const(m_chips)) {
        chip->setPadding(compact > 0 ? kCompactChipPadding : kChipPadding, 6);
        chip->setFixedSize(chip->sizeHint());
    }
    m_title->setText(compact > 1 ? QString() : m_title->accessibleName());
    m_title->updateGeometry();
    for (GenreCapsuleButton *button : {m_search, m_untagged}) {
        button->setText(compact > 1 ? QString() : button->accessibleName());
        button->setFixedSize(button->sizeHint());
    }
}

void GenreQuickBar::assign(const QString &genre)
{
    m_store.genreEditing().assignGenre(
        genre, m_store.sections().activeSelection(), m_undoStack ? m_undoStack() : nullptr);
}

void GenreQuickBar::clearSelection()
{
    m_store.genreEditing().clearGenres(m_store.sections().activeSelection(),
                                       m_undoStack ? m_undoStack() : nullptr);
}

GenreCommandPalette *GenreQuickBar::palette() const
{
    return m_palette;
}

QWidget *GenreQuickBar::popup() const
{
    return m_popup;
}

bool GenreQuickBar::isShowingPalette() const
{
    return m_popup && m_popup->isVisible();
}

void GenreQuickBar::showPalette()
{
    if (isShowingPalette())
        return;
    delete m_popup;
    // A popup closes on a click outside it, like a popover; each opening starts empty.
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setAttribute(Qt::WA_DeleteOnClose);
    m_popup->setFrameShape(QFrame::StyledPanel);
    m_popup->setPalette(BrivelloTheme::palette(ShellEvents::instance().scheme()));
    m_popup->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(0, 0, 0, 0);
    m_palette = new GenreCommandPalette(
        m_store,
        [this](const QString &genre) {
            assign(genre);
            closePalette();
        },
        [this] {
            clearSelection();
            closePalette();
        },
        m_popup);
    layout->addWidget(m_palette);
    m_popup->adjustSize();
    m_popup->move(paletteTopLeft(m_popup->size()));
    m_popup->show();
}

QPoint GenreQuickBar::paletteTopLeft(const QSize &size) const
{
    // Hangs from the search button, above it when there is room, else below, and stays
    // inside the window: the button sits near the window's right edge.
    constexpr int kGap = 6;
    constexpr int kMargin = 8;
    const QWidget *host = window();
    const QRect bounds = QRect(host->mapToGlobal(QPoint(0, 0)), host->size())
                             .adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const QRect button(m_search->mapToGlobal(QPoint(0, 0)), m_search->size());
    QPoint topLeft(button.center().x() - size.width() / 2, button.top() - kGap - size.height());
    if (topLeft.y() < bounds.top())
        topLeft.setY(button.bottom() + 1 + kGap);
    topLeft.setX(std::max(std::min(topLeft.x(), bounds.right() + 1 - size.width()), bounds.left()));
    topLeft.setY(
        std::max(std::min(topLeft.y(), bounds.bottom() + 1 - size.height()), bounds.top()));
    return topLeft;
}

void GenreQuickBar::closePalette()
{
    // Deferred: the palette may be inside its own click handler.
    if (m_popup) {
        m_popup->hide();
        m_popup->deleteLater();
    }
}

} // namespace brivello
