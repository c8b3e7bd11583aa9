#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace brivello {

class ActionButton;
class UpdateManager;

// The updates row of the settings sheet: the running version and a control that follows the
// check (check, progress, up to date, download), with the notes or the failure below.
// Main thread; owned by the settings sheet.
class UpdatesGroup : public QWidget
{
    Q_OBJECT
public:
    explicit UpdatesGroup(UpdateManager &updates, QWidget *parent = nullptr);

    ActionButton *checkButton() const { return m_check; }
    ActionButton *downloadButton() const { return m_download; }
    QProgressBar *progress() const { return m_progress; }
    QWidget *upToDateLabel() const { return m_upToDate; }
    QLabel *footnote() const { return m_footnote; }

private:
    void refresh();
    void applyLook();

    UpdateManager &m_updates;
    QLabel *m_title = nullptr;
    QLabel *m_version = nullptr;
    QProgressBar *m_progress = nullptr;
    QWidget *m_upToDate = nullptr;
    QLabel *m_upToDateIcon = nullptr;
    QLabel *m_upToDateText = nullptr;
    ActionButton *m_check = nullptr;
    ActionButton *m_download = nullptr;
    QLabel *m_footnote = nullptr;
};

} // namespace brivello
