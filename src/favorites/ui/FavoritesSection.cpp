#include "FavoritesSection.h"

#include "FavoritesTableView.h"
#include "favorites/FavoritesTableModel.h"
#include "library/LibraryStore.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QFrame>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

FavoritesSection::FavoritesSection(LibraryStore &store,
                                   AudioPlayer *player,
                                   QUndoStack *undoStack,
                                   QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_model(new FavoritesTableModel(store, player, this))
{
    m_pages = new QStackedLayout(this);
    m_empty = new WorkspaceEmptyState(
        QStringLiteral("heart"),
        QStringLiteral("В избранном пока нет треков"),
        QStringLiteral("Выберите трек в «Плейлисте» и нажмите сердце слева или клавишу F."),
        this);
    auto *content = new QWidget(this);
    m_content = new QVBoxLayout(content);
    m_content->setContentsMargins(0, 0, 0, 0);
    m_content->setSpacing(0);
    m_table = new FavoritesTableView(*m_model, undoStack, content);
    m_content->addWidget(m_table, 1);
    m_pages->addWidget(m_empty);
    m_pages->addWidget(content);
    connect(&m_store, &LibraryStore::tracksChanged, this, &FavoritesSection::updatePage);
    updatePage();
}

void FavoritesSection::setTopBar(QWidget *bar)
{
    m_content->insertWidget(0, bar);
    // A hairline between the bar and the table, in the look's separator colour.
    m_divider = new QFrame(bar->parentWidget());
    m_divider->setFixedHeight(1);
    m_content->insertWidget(1, m_divider);
    const auto paint = [this] {
        const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
        m_divider->setStyleSheet(
            QStringLiteral("background: %1; border: none;")
                .arg((light ? blackA(0.1) : whiteA(0.1)).name(QColor::HexArgb)));
    };
    paint();
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, m_divider, paint);
}

bool FavoritesSection::isShowingEmptyState() const
{
    return m_pages->currentWidget() == m_empty;
}

void FavoritesSection::updatePage()
{
    const auto &tracks = m_store.tracks();
    const bool any = std::any_of(
        tracks.cbegin(), tracks.cend(), [](const Track &track) { return track.isFavorite; });
    m_pages->setCurrentIndex(any ? 1 : 0);
}

} // namespace brivello
