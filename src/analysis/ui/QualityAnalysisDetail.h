#pragma once

#include "analysis/AudioQualityAnalysis.h"
#include "records/Track.h"

#include <QWidget>
#include <optional>

class QLabel;
class QStackedLayout;

namespace brivello {

class SpekSpectrogram;

// The detail panel of the analysis section: the focused track's spectrogram, verdict,
// cut-off, six technical parameters and the note; a progress line while it is analysed; an
// empty state otherwise. Redrawn from its inputs. Main thread.
class QualityAnalysisDetail : public QWidget
{
    Q_OBJECT
public:
    explicit QualityAnalysisDetail(QWidget *parent = nullptr);

    void setInputs(const std::optional<Track> &track,
                   const std::shared_ptr<const AudioQualityAnalysis> &result,
                   bool isAnalyzing);

    // The title tag, else the file name without extension; the artist tag, else a fallback.
    static QString displayTitle(const Track &track);
    static QString displayArtist(const Track &track);

    QString cutoffText() const;
    // Label and value of each parameter cell, in order.
    QList<std::pair<QString, QString>> parameterTexts() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();

    std::optional<Track> m_track;
    std::shared_ptr<const AudioQualityAnalysis> m_result;
    bool m_isAnalyzing = false;
    QLabel *m_title;
    QLabel *m_artist;
    QLabel *m_format;
    QWidget *m_header;
    QStackedLayout *m_pages;
    SpekSpectrogram *m_spectrogram;
    QLabel *m_verdict;
    QLabel *m_cutoff;
    QList<QLabel *> m_parameterLabels;
    QList<QLabel *> m_parameterValues;
    QLabel *m_note;
    QLabel *m_emptyTitle;
    QLabel *m_emptyMessage;
};

} // namespace brivello
