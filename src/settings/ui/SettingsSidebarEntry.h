#pragma once

#include "SettingsSheet.h"

#include <QAbstractButton>

namespace brivello {

// One section of the settings sidebar: its symbol and title, a filled background while
// selected and the hover highlight otherwise. Main thread; owned by the sheet.
class SettingsSidebarEntry : public QAbstractButton
{
    Q_OBJECT
public:
    SettingsSidebarEntry(SettingsSheet::SettingsSection section, QWidget *parent = nullptr);

    SettingsSheet::SettingsSection section() const { return m_section; }
    void retranslate();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    SettingsSheet::SettingsSection m_section;
    bool m_hovering = false;
};

} // namespace brivello
