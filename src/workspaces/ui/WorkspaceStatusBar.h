#pragma once

#include "shell/BrivelloTheme.h"
#include "workspaces/WorkspaceStatusSummary.h"

#include <QPixmap>
#include <QUuid>
#include <QWidget>
#include <optional>

class QVariantAnimation;

namespace brivello {

class AudioPlayer;
class LibraryStore;
class SectionCounts;

// The status block at the foot of the expanded sidebar: icon with the playing dot, a primary
// line and an optional detail line. Everything is read from the store and the player when
// drawn; the only state is the last drawn content, cross-faded out when a transient message
// comes or goes or playback starts or stops.
class WorkspaceStatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 46;

    WorkspaceStatusBar(LibraryStore &store,
                       const SectionCounts &counts,
                       AudioPlayer &player,
                       QWidget *parent = nullptr);

    WorkspaceStatusSummary summary() const;
    // Progress of the cross-fade to the current content, 1 when none runs.
    qreal fadeProgress() const { return m_fade; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void paintContent(QPainter &painter, const WorkspaceStatusSummary &status) const;
    static bool looksTheSame(const WorkspaceStatusSummary &a, const WorkspaceStatusSummary &b);

    LibraryStore &m_store;
    const SectionCounts &m_counts;
    AudioPlayer &m_player;
    QVariantAnimation *m_fadeAnimation = nullptr;
    qreal m_fade = 1;
    QPixmap m_shown;                                 // the content as last drawn
    std::optional<WorkspaceStatusSummary> m_summary; // as of the last refresh
    QPixmap m_previous;                              // the content being faded out
    std::optional<QUuid> m_transientID;
    bool m_playing = false;
};

} // namespace brivello
