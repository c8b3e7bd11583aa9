#pragma once

#include "platform/Scheduler.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace brivello {

class GenreCapsuleButton;
class LibraryStore;

// The genre search panel (390 pt wide): a field, the "Без жанра" row, the suggestion and
// recent chips for an empty query, and the matching genres with their slot badges. It only
// reads the store; `apply` and `clear` belong to its owner. Main thread.
class GenreCommandPalette : public QWidget
{
    Q_OBJECT
public:
    using Apply = std::function<void(const QString &genre)>;
    using Clear = std::function<void()>;
    static constexpr int kWidth = 390;
    static constexpr int kListHeight = 190;
    static constexpr double kFocusDelay = 0.08;

    GenreCommandPalette(LibraryStore &store, Apply apply, Clear clear, QWidget *parent = nullptr);
    ~GenreCommandPalette() override;

    QLineEdit *searchField() const { return m_field; }
    GenreCapsuleButton *clearButton() const { return m_clear; }
    QLabel *footnote() const { return m_footnote; }
    QList<GenreCapsuleButton *> rows() const;
    QStringList chipSectionTitles() const;
    QString heading() const;
    // What Enter applies for the current query and lists.
    std::optional<QString> primaryResult() const;

private:
    void rebuild();
    void retranslate();
    void submit();
    void buildRows(const QStringList &matches, const QStringList &quickSlots);

    LibraryStore &m_store;
    Apply m_apply;
    Clear m_clearAction;
    QLineEdit *m_field = nullptr;
    GenreCapsuleButton *m_clear = nullptr;
    QVBoxLayout *m_sections = nullptr;
    QLabel *m_heading = nullptr;
    QScrollArea *m_list = nullptr;
    QLabel *m_footnote = nullptr;
    ScheduledWork m_focus;
};

} // namespace brivello
