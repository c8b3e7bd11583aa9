#pragma once

#include "FileRowList.h"
#include "workspaces/WorkspaceActions.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QHBoxLayout;
class QLabel;

namespace brivello {

class AudioPlayer;
class LibraryStore;

// What the covers, converter and duplicates sections share: the store, the player and the
// actions they are built with, the row density, and a refresh on the player, the look, the
// language and the settings the rows read. Main thread; built by the content area.
class WorkspaceSectionView : public QWidget, protected FileRowSource
{
public:
    ~WorkspaceSectionView() override;

protected:
    WorkspaceSectionView(LibraryStore &store,
                         AudioPlayer &player,
                         WorkspaceActions actions,
                         QWidget *parent);

    virtual void refresh() = 0;
    // Calls refresh() on the player, the look, the language, the table density and `keys`.
    void refreshOnChanges(const QStringList &keys = {});
    // Scrolls `list` to the row `row` names once the first layout has settled.
    void scrollToRowSoon(FileRowList *list, std::function<int()> row, bool animated = false);
    double density() const;
    // The header's row with the title over the subtitle at its left; the caller adds the rest.
    static QHBoxLayout *
    titleRow(QWidget *header, QLabel *&title, QLabel *&subtitle, int titlesStretch);

    LibraryStore &m_store;
    QPointer<AudioPlayer> m_player;
    WorkspaceActions m_actions;
};

} // namespace brivello
