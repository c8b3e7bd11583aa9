#pragma once

#include <QWidget>

namespace brivello {

// A faint rounded card behind a group of settings controls. Main thread.
class SettingsCard : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsCard(qreal radius, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
};

} // namespace brivello
