#pragma once

#include <QStyledItemDelegate>

namespace brivello {

// What the playlist and analysis rows share: the table density every size scales by, the row
// under the pointer and the phase of the spinner of rows still being analysed. Each row sets
// its density the way it trusts it. Main thread.
class TrackListRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    double density() const { return m_density; }
    void setHoveredRow(int row) { m_hoveredRow = row; }
    // Phase of the spinner of the rows being analysed, 0 … 1.
    void setSpinnerPhase(qreal phase) { m_spinnerPhase = phase; }

protected:
    double m_density = 1.0;
    int m_hoveredRow = -1;
    qreal m_spinnerPhase = 0;
};

} // namespace brivello
