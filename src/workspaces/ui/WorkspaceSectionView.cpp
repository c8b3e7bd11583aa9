#include "WorkspaceSectionView.h"

#include "SectionRowStyle.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/NotificationCenter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace brivello {

WorkspaceSectionView::WorkspaceSectionView(LibraryStore &store,
                                           AudioPlayer &player,
                                           WorkspaceActions actions,
                                           QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_player(&player)
    , m_actions(std::move(actions))
{
    setAcceptDrops(true);
}

WorkspaceSectionView::~WorkspaceSectionView()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

void WorkspaceSectionView::refreshOnChanges(const QStringList &keys)
{
    connect(&m_store.settings(), &LibrarySettings::changed, this, [this, keys](const QString &key) {
        if (key == kTableDensityKey || keys.contains(key))
            refresh();
    });
    if (m_player)
        SectionRowStyle::refreshOnPlayerAndLook(this, *m_player, [this] { refresh(); });
}

void WorkspaceSectionView::scrollToRowSoon(FileRowList *list,
                                           std::function<int()> row,
                                           bool animated)
{
    QTimer::singleShot(0, this, [list, row = std::move(row), animated] {
        list->scrollToRow(row(), true, animated);
    });
}

double WorkspaceSectionView::density() const
{
    return m_store.settings().tableDensity();
}

QHBoxLayout *WorkspaceSectionView::titleRow(QWidget *header,
                                            QLabel *&title,
                                            QLabel *&subtitle,
                                            int titlesStretch)
{
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(22, 18, 22, 0);
    row->setSpacing(14);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(3);
    title = new QLabel(header);
    subtitle = new QLabel(header);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    row->addLayout(titles, titlesStretch);
    return row;
}

} // namespace brivello
