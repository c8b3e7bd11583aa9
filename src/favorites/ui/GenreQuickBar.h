#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QFrame;
class QHBoxLayout;
class QLabel;
class QUndoStack;

namespace brivello {

class GenreCapsuleButton;
class GenreCommandPalette;
class LibraryStore;

// The 44 pt bar over the favourites table: title, one chip per filled quick slot (keeping its
// slot number), "Поиск" with the genre palette in a popup, the "Без жанра" filter toggle and
// the round clear button. Commands act on the store's active selection read at the click.
// Main thread; owned by the favourites section.
class GenreQuickBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 44;
    static constexpr int kChipPadding = 9;
    static constexpr int kCompactChipPadding = 6;
    static constexpr int kSymbolTextGap = 7; // between a button's symbol and its text
    // The undo stack of the key window, or none without one.
    using UndoStackProvider = std::function<QUndoStack *()>;

    GenreQuickBar(LibraryStore &store, UndoStackProvider undoStack, QWidget *parent = nullptr);
    ~GenreQuickBar() override;

    QList<GenreCapsuleButton *> chips() const { return m_chips; }
    GenreCapsuleButton *searchButton() const { return m_search; }
    GenreCapsuleButton *untaggedToggle() const { return m_untagged; }
    GenreCapsuleButton *clearButton() const { return m_clear; }
    // The open palette, or none.
    GenreCommandPalette *palette() const;
    QWidget *popup() const;
    bool isShowingPalette() const;
    void showPalette();
    void closePalette();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuildChips();
    // When the nine chips would not fit (the ninth was hidden behind "Поиск" in a 1440 px
    // window), the chips draw closer, and if that is not enough the title and the two buttons
    // show their symbols alone; their texts stay as accessible names and tooltips.
    void fitButtons();
    void refreshSelection();
    void refreshToggle();
    void retranslate();
    void assign(const QString &genre);
    void clearSelection();
    // Where a palette of `size` opens, in global coordinates.
    QPoint paletteTopLeft(const QSize &size) const;

    LibraryStore &m_store;
    UndoStackProvider m_undoStack;
    QLabel *m_title = nullptr;
    QHBoxLayout *m_chipRow = nullptr;
    QList<GenreCapsuleButton *> m_chips;
    GenreCapsuleButton *m_search = nullptr;
    GenreCapsuleButton *m_untagged = nullptr;
    GenreCapsuleButton *m_clear = nullptr;
    int m_compact = 0; // 0 full, 1 closer chips, 2 also symbols without texts
    QPointer<QFrame> m_popup;
    QPointer<GenreCommandPalette> m_palette;
};

} // namespace brivello
