// The genre and cleaner sections of the settings sheet.
#include "SettingsGenreEditor.h"
#include "SettingsInputFrame.h"
#include "SettingsLook.h"
#include "SettingsSections.h"
#include "library/GenreEditing.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace brivello {

namespace {

constexpr int kQuickSlots = 9;

// Rebuilds a slot picker's options; signals are blocked so the rebuild never writes the slot.
void fillSlotPicker(QComboBox *picker, const QStringList &genres, const QString &stored)
{
    const QSignalBlocker blocker(picker);
    picker->clear();
    picker->addItem(BrivelloLocalization::string(QStringLiteral("Не назначено")), QString());
    for (const QString &genre : genres)
        picker->addItem(genre, genre);
    picker->setCurrentIndex(picker->findData(stored));
}

QWidget *textInput(const QString &titleKey, const QString &setting, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    field->setPlaceholderText(BrivelloLocalization::string(titleKey));
    field->setText(Defaults::standard().string(setting));
    field->setFont(BrivelloTheme::font(TextStyle::body));
    field->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
    QObject::connect(field, &QLineEdit::textChanged, field, [setting](const QString &text) {
        Defaults::standard().set(setting, text);
    });
    auto *frame = new SettingsInputFrame(field, 12, 0, parent);
    frame->setFixedHeight(38);
    return frame;
}

} // namespace

QWidget *SettingsSections::genres(LibraryStore &library)
{
    QWidget *widget = page(12);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    column->addWidget(headline(QStringLiteral("Библиотека жанров"), widget));
    auto *editor = new SettingsGenreEditor(widget);
    editor->setFrameShape(QFrame::NoFrame);
    QFont mono = BrivelloTheme::font(TextStyle::body);
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    editor->setFont(mono);
    editor->setPlainText(library.settings().genreListRaw());
    editor->viewport()->setAutoFillBackground(false);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *editorFrame = new SettingsInputFrame(editor, 10, 9, widget);
    editorFrame->setFixedHeight(130);
    column->addWidget(editorFrame);
    column->addSpacing(4);
    column->addWidget(SettingsLook::divider(widget));
    column->addSpacing(4);
    column->addWidget(headline(QStringLiteral("Быстрые жанры 1–9"), widget));
    column->addWidget(caption(QStringLiteral("Цифровые клавиши назначают жанр выбранным трекам во "
                                             "вкладке «Избранное». Пустой слот отключает клавишу."),
                              widget));

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(8);
    QList<QComboBox *> pickers;
    const QStringList assigned = library.genreEditing().quickGenreSlots();
    for (int index = 0; index < kQuickSlots; ++index) {
        auto *slot = new QHBoxLayout;
        slot->setSpacing(8);
        QLabel *number = SettingsLook::label(TextStyle::callout, widget);
        number->setText(QString::number(index + 1));
        number->setFixedWidth(16);
        number->setAlignment(Qt::AlignCenter);
        SettingsLook::setTextColor(number, BrivelloTheme::secondary(SettingsLook::scheme()));
        auto *picker = new QComboBox(widget);
        picker->setMinimumWidth(10);
        picker->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        picker->setAccessibleName(
            BrivelloLocalization::format(QStringLiteral("Жанр для клавиши %d"), index + 1));
        fillSlotPicker(picker, library.genreEditing().genres(), assigned.value(index));
        QObject::connect(picker, &QComboBox::activated, picker, [&library, picker, index] {
            library.genreEditing().setQuickGenre(picker->currentData().toString(), index);
        });
        slot->addWidget(number);
        slot->addWidget(picker, 1);
        grid->addLayout(slot, index / 3, index % 3);
        pickers.append(picker);
    }
    column->addLayout(grid);

    QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [&library, editor, pickers] {
        Defaults::standard().set(QStringLiteral("genreList"), editor->toPlainText());
        const QStringList genres = library.genreEditing().genres();
        const QStringList stored = library.genreEditing().quickGenreSlots();
        for (int index = 0; index < pickers.size(); ++index)
            fillSlotPicker(pickers[index], genres, stored.value(index));
    });
    return widget;
}

QWidget *SettingsSections::cleaner(LibraryStore &)
{
    QWidget *widget = page(14);
    auto *column = static_cast<QVBoxLayout *>(widget->layout());
    QCheckBox *clearTags = toggle(QStringLiteral("Удалить служебные теги, обложку и жанр"),
                                  QStringLiteral("cleanerClearTags"),
                                  true,
                                  widget);
    QCheckBox *clearBPM = toggle(QStringLiteral("Удалить BPM и тональность из ID3‑тегов"),
                                 QStringLiteral("cleanerClearBPMAndKey"),
                                 true,
                                 widget);
    // Greyed out without the tag clean-up, but its stored value stays.
    clearBPM->setEnabled(clearTags->isChecked());
    QObject::connect(clearTags, &QCheckBox::toggled, clearBPM, &QWidget::setEnabled);
    column->addWidget(clearTags);
    column->addWidget(clearBPM);
    column->addWidget(textInput(QStringLiteral("Фрагменты для удаления из ID3-названия"),
                                QStringLiteral("titleFilters"),
                                widget));
    column->addWidget(caption(QStringLiteral("Укажите фрагменты через запятую: например [FREE], "
                                             "320kbps, @promo. Они удаляются только из названия "
                                             "тега."),
                              widget));
    column->addWidget(toggle(QStringLiteral("Убрать BPM и тональность из начала имени"),
                             QStringLiteral("cleanerStripBPMAndKey"),
                             true,
                             widget));
    column->addWidget(textInput(QStringLiteral("Фрагменты для удаления из имени файла"),
                                QStringLiteral("renameFilters"),
                                widget));
    column->addWidget(caption(QStringLiteral("Для имени файла используйте тот же формат: слова "
                                             "или фразы через запятую."),
                              widget));
    column->addWidget(toggle(QStringLiteral("Переименовать файлы"),
                             QStringLiteral("cleanerCleanFilenames"),
                             false,
                             widget));
    return widget;
}

} // namespace brivello
