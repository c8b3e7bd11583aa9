#pragma once

#include <QUuid>
#include <QWidget>
#include <memory>
#include <optional>

class QLabel;
class QStackedLayout;

namespace brivello {

class ActionButton;
class AudioPlayer;
struct AudioQualityAnalysis;
class LibraryStore;
class QualityAnalysisDetail;
class QualityAnalysisList;

// The analysis section: the analysis list with each track's verdict, the focused track's
// detail beside it and the button that queues the selected (or all) tracks. The list and the
// detail follow the store's selection whoever changes it; focusing a track queues it. Files
// and folders dropped anywhere on the section join it. Main thread; built by the content
// area while the section is shown.
class QualityAnalyzerView : public QWidget
{
    Q_OBJECT
public:
    QualityAnalyzerView(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    QualityAnalysisDetail *detail() const { return m_detail; }
    QualityAnalysisList *list() const { return m_list; }
    ActionButton *analyzeButton() const { return m_analyze; }
    std::optional<QUuid> focusedID() const { return m_focusedID; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // What the detail shows of the focused track, besides the track record itself.
    struct DetailInputs
    {
        std::optional<QUuid> id;
        std::shared_ptr<const AudioQualityAnalysis> result;
        bool isAnalyzing = false;
        QString failure;
        bool operator==(const DetailInputs &other) const = default;
    };

    bool isActive() const;
    void tracksChanged();
    DetailInputs detailInputs() const;
    // Redraws the detail when its inputs changed: the queues change for every track analysed.
    void refreshDetail();
    void focus(std::optional<QUuid> id);
    void selectedIDsChanged();
    void selectedIDChanged();
    void analyzeFocusedTrackIfNeeded();
    void importDroppedFiles(const QList<QUrl> &urls);
    void retranslate();

    LibraryStore &m_store;
    std::optional<QUuid> m_focusedID;
    QLabel *m_title;
    QLabel *m_note;
    ActionButton *m_analyze;
    QStackedLayout *m_content;
    QWidget *m_empty;
    QualityAnalysisList *m_list;
    QualityAnalysisDetail *m_detail;
    // Unset until the detail is first handed a track, and again when the records change.
    std::optional<DetailInputs> m_shownDetail;
};

} // namespace brivello
