#pragma once

#include <QWidget>

class QStackedLayout;

namespace brivello {

class AudioPlayer;
class LibraryStore;
class PlaylistView;

// The playlist section's content: the drop placeholder while the playlist is empty, else the
// list with the thin drop strip under it. Main thread; built by the content area.
class PlaylistSection : public QWidget
{
    Q_OBJECT
public:
    PlaylistSection(LibraryStore &store, AudioPlayer &player, QWidget *parent = nullptr);

    PlaylistView *view() const { return m_view; }
    bool isShowingList() const;

private:
    void showMatchingPage();

    LibraryStore &m_store;
    PlaylistView *m_view;
    QWidget *m_zone;
    QWidget *m_list;
    QStackedLayout *m_pages;
};

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
