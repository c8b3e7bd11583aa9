#pragma once

#include "analysis/AudioQualityAnalysis.h"
#include "records/Track.h"

#include <QWidget>
#include <optional>

class QLabel;
class QStackedLayout;

namespace brivello {

class Artwork;
class SpekSpectrogram;
class WorkspaceEmptyState;

// The detail panel of the analysis section: the focused track's cover and names, then its
// spectrogram, verdict in its colour, cut-off, six technical parameters and the note; a
// spinner while it is analysed; why it could not be analysed; an empty state otherwise.
// Redrawn from its inputs and on a change of appearance or language. Main thread.
class QualityAnalysisDetail : public QWidget
{
    Q_OBJECT
public:
    explicit QualityAnalysisDetail(QWidget *parent = nullptr);

    void setInputs(const std::optional<Track> &track,
                   const std::shared_ptr<const AudioQualityAnalysis> &result,
                   bool isAnalyzing,
                   const QString &failure = {});

    // The title tag, else the file name without extension; the artist tag, else a fallback.
    static QString displayTitle(const Track &track);
    static QString displayArtist(const Track &track);

    QString cutoffText() const;
    QString verdictText() const;
    // The reason shown when the track could not be analysed; empty otherwise.
    QString failureText() const;
    // Label and value of each parameter cell, in order.
    QList<std::pair<QString, QString>> parameterTexts() const;
    SpekSpectrogram *spectrogram() const { return m_spectrogram; }
    // The page shown: "result", "analyzing", "failure", "empty".
    QString pageName() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildResultPage();
    QWidget *buildAnalyzingPage();
    QWidget *buildFailurePage();
    void refresh();
    void showResult();
    void restyle();

    std::optional<Track> m_track;
    std::shared_ptr<const AudioQualityAnalysis> m_result;
    bool m_isAnalyzing = false;
    QString m_failure;
    QWidget *m_header;
    Artwork *m_cover;
    QLabel *m_title;
    QLabel *m_artist;
    QLabel *m_format;
    QStackedLayout *m_pages;
    SpekSpectrogram *m_spectrogram;
    QLabel *m_verdictSymbol;
    QLabel *m_verdict;
    QLabel *m_cutoff;
    QList<QLabel *> m_parameterLabels;
    QList<QLabel *> m_parameterValues;
    QLabel *m_note;
    QLabel *m_analyzing;
    QLabel *m_failureReason;
    WorkspaceEmptyState *m_noTrack;
    WorkspaceEmptyState *m_notAnalysed;
};

} // namespace brivello
