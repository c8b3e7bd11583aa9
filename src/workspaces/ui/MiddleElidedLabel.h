#pragma once

#include <QLabel>

namespace brivello {

// A one-line label that shortens its text in the middle when it is too narrow, so both the
// start and the file name at the end of a long path stay readable. text() keeps the whole
// text, which is also the tooltip while it is shortened. Main thread.
class MiddleElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MiddleElidedLabel(QWidget *parent = nullptr);

    // The text as drawn at the current width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateToolTip();
};

} // namespace brivello
