#pragma once

#include <QVariantAnimation>
#include <QWidget>

namespace brivello {

// The waveform area's waiting state: a small spinner and "Загрузка waveform…" side by side,
// centred. The spinner turns only while the widget is shown. Main thread.
class WaveformLoadingIndicator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSpinnerSize = 12;
    static constexpr int kSpacing = 8;

    explicit WaveformLoadingIndicator(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    bool isSpinning() const { return m_spin->state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void retranslate();

    QString m_text;
    QVariantAnimation *m_spin;
};

} // namespace brivello
