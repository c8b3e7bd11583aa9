#include "GenreComboBox.h"

#include <QCompleter>
#include <QLineEdit>

namespace brivello {

GenreComboBox::GenreComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    completer()->setCompletionMode(QCompleter::InlineCompletion);
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    connect(lineEdit(), &QLineEdit::textEdited, this, &GenreComboBox::changed);
    connect(this, &QComboBox::activated, this, &GenreComboBox::changed);
}

void GenreComboBox::setBinding(const QString &text, TextSetter setText, const QStringList &options)
{
    m_setText = std::move(setText);
    if (currentText() != text)
        setEditText(text);
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    if (items == options)
        return;
    // Rebuilding the list would also replace the field's text; keep what it shows.
    const QString shown = currentText();
    const QSignalBlocker blocker(this);
    clear();
    addItems(options);
    setEditText(shown);
    ++m_rebuilds;
}

void GenreComboBox::changed()
{
    if (m_setText)
        m_setText(currentText());
}

} // namespace brivello
