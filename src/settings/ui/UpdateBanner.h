#pragma once

#include "UpdateHeading.h"

#include <QWidget>

class QLabel;

namespace brivello {

class ActionButton;
class UpdateManager;

// The strip at the top of the settings sheet while a newer release is known: its version,
// the notes cut after two lines and a download button. Hidden while no release is available
// (including during a check). Main thread; owned by the settings sheet.
class UpdateBanner : public QWidget
{
    Q_OBJECT
public:
    explicit UpdateBanner(UpdateManager &updates, QWidget *parent = nullptr);

    // The notes as sent; only empty notes are replaced (a lookup key).
    static QString notesText(const QString &releaseNotes);

    QLabel *titleLabel() const { return m_title; }
    QLabel *notesLabel() const { return m_notes; }
    ActionButton *downloadButton() const { return m_download; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();
    void applyLook();
    void elideNotes();

    UpdateManager &m_updates;
    UpdateHeading m_heading;
    QLabel *m_title = nullptr;
    QLabel *m_notes = nullptr;
    QString m_fullNotes;
    ActionButton *m_download = nullptr;
};

} // namespace brivello
