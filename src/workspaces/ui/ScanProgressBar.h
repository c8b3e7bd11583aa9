#pragma once

#include <QWidget>

namespace brivello {

// The duplicate search's progress bar: a thin track filled to the progress in the section's
// accent (white in the dark look, slate blue in the light one). Every change is drawn; a
// platform progress bar may skip small steps. Main thread.
class ScanProgressBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 6;

    explicit ScanProgressBar(QWidget *parent = nullptr);

    double value() const { return m_value; }
    // Clamped to 0…1; a value that is not a number counts as 0.
    void setValue(double value);
    // The filled part at the current size.
    QRectF filledRect() const;
    static QColor tint(bool light);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_value = 0;
};

} // namespace brivello
