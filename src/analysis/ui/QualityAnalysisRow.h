#pragma once

#include "analysis/AudioQualityVerdict.h"
#include "shell/BrivelloTheme.h"
#include "shell/TrackListRowDelegate.h"

#include <cmath>

namespace brivello {

class QualityAnalysisListModel;

// Draws one row of the analysis list: the cover (with the play or pause mark on the current
// track), title and artist, and the status block: the verdict in its colour with the cut-off,
// the reason a file could not be analysed, a spinner while it is analysed, or "not analysed".
// Cover, texts and paddings scale by the table density. Main thread.
class QualityAnalysisRow : public TrackListRowDelegate
{
    Q_OBJECT
public:
    static constexpr int kStatusWidth = 142;
    static constexpr int kSpacing = 12;
    static constexpr int kRowSpacing = 3;

    explicit QualityAnalysisRow(QObject *parent = nullptr);

    // A stored factor outside any slider's reach (hand-edited settings) falls back to 1.
    void setDensity(double density)
    {
        m_density = std::isfinite(density) && density >= 0.5 && density <= 2.0 ? density : 1.0;
    }

    static int rowHeight(double density);
    // Where the status block of a row drawn in `rect` lies; the verdict line is its top half.
    static QRect statusRect(const QRect &rect, double density);
    static QRectF coverRect(const QRect &rect, double density);
    static QColor verdictColor(AudioQualityVerdict verdict, ColorScheme scheme);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter,
               const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    void paintTitles(QPainter &painter,
                     const QRectF &rect,
                     const QualityAnalysisListModel &model,
                     int row,
                     ColorScheme scheme) const;
    void paintStatus(QPainter &painter,
                     const QRect &rect,
                     const QualityAnalysisListModel &model,
                     int row,
                     ColorScheme scheme) const;
};

} // namespace brivello
