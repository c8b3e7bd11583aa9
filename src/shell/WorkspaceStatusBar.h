#pragma once

#include "WorkspaceStatusSummary.h"

#include <QWidget>

namespace brivello {

class AudioPlayer;
class LibraryStore;

// The status block at the foot of the expanded sidebar: icon with the playing dot, a primary
// line and an optional detail line. Stateless: everything is read from the store and the
// player when drawn.
class WorkspaceStatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 46;

    WorkspaceStatusBar(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    WorkspaceStatusSummary summary() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    LibraryStore &m_store;
    AudioPlayer &m_player;
};

} // namespace brivello
