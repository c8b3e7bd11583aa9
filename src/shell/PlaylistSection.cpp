#include "PlaylistSection.h"

#include "PlaylistDropTarget.h"
#include "PlaylistView.h"

#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

PlaylistSection::PlaylistSection(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_view(new PlaylistView(store, player))
    , m_zone(new PlaylistDropTarget(PlaylistDropTarget::Kind::zone, store))
    , m_list(new QWidget)
    , m_pages(new QStackedLayout(this))
{
    setObjectName(QStringLiteral("playlistSection"));
    auto *column = new QVBoxLayout(m_list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_view, 1);
    column->addWidget(new PlaylistDropTarget(PlaylistDropTarget::Kind::strip, store));
    m_pages->addWidget(m_zone);
    m_pages->addWidget(m_list);

    PlaylistModel *model = m_view->playlistModel();
    connect(model, &QAbstractItemModel::rowsInserted, this, &PlaylistSection::showMatchingPage);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &PlaylistSection::showMatchingPage);
    connect(model, &QAbstractItemModel::modelReset, this, &PlaylistSection::showMatchingPage);
    showMatchingPage();
}

bool PlaylistSection::isShowingList() const
{
    return m_pages->currentWidget() == m_list;
}

void PlaylistSection::showMatchingPage()
{
    m_pages->setCurrentWidget(m_view->playlistModel()->rowCount() > 0 ? m_list : m_zone);
}

} // namespace brivello
