#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

class QHBoxLayout;
class QLabel;

namespace brivello {

class GenreCapsuleButton;

// A caption over one sideways-scrolling row of genre chips (no scroll bar, 32 pt high); a
// click hands the chip's genre to the owner's action. Keeps no state. Main thread.
class GenreChipSection : public QWidget
{
    Q_OBJECT
public:
    using Apply = std::function<void(const QString &genre)>;
    static constexpr int kRowHeight = 32;

    GenreChipSection(const QString &titleKey,
                     const QStringList &genres,
                     Apply apply,
                     QWidget *parent = nullptr);

    QList<GenreCapsuleButton *> chips() const { return m_chips; }
    QLabel *caption() const { return m_caption; }

private:
    void retranslate();

    QString m_titleKey;
    QLabel *m_caption = nullptr;
    QList<GenreCapsuleButton *> m_chips;
};

} // namespace brivello
