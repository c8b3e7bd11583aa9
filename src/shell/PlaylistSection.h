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

} // namespace brivello
