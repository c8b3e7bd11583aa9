#pragma once

#include <QUuid>
#include <QWidget>
#include <optional>

class QLabel;
class QListWidget;
class QPushButton;
class QStackedLayout;

namespace brivello {

class AudioPlayer;
class LibraryStore;
class QualityAnalysisDetail;

// The analysis section: the analysis list with each track's verdict, the focused track's
// detail beside it and the button that queues the selected (or all) tracks. Focusing a track
// queues it. Main thread; built by the content area while the section is shown.
class QualityAnalyzerView : public QWidget
{
    Q_OBJECT
public:
    QualityAnalyzerView(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    // "~%d Гц · %d kHz", or the state text, of a track's row.
    QString statusText(const QUuid &id) const;
    QualityAnalysisDetail *detail() const { return m_detail; }
    QPushButton *analyzeButton() const { return m_analyze; }

private:
    void rebuildRows();
    void refreshRows();
    void refreshDetail();
    void selectionChanged();
    void analyzeFocusedTrackIfNeeded();
    void retranslate();

    LibraryStore &m_store;
    AudioPlayer &m_player;
    std::optional<QUuid> m_focusedID;
    bool m_updatingRows = false;
    QLabel *m_title;
    QLabel *m_note;
    QPushButton *m_analyze;
    QStackedLayout *m_content;
    QWidget *m_empty;
    QListWidget *m_list;
    QualityAnalysisDetail *m_detail;
};

} // namespace brivello
