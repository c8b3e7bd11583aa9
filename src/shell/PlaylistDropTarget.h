#pragma once

#include <QWidget>

namespace brivello {

class LibraryStore;

// A drop target that hands the dropped files to the playlist import: the placeholder of an
// empty playlist and the strip under a filled one. Refuses drops that carry no file.
class PlaylistDropTarget : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { zone, strip };
    PlaylistDropTarget(Kind kind, LibraryStore &store, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    QSize sizeHint() const override;

private:
    Kind m_kind;
    LibraryStore &m_store;
    bool m_hovering = false;
};

} // namespace brivello
