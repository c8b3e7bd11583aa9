#pragma once

#include <QComboBox>
#include <functional>

namespace brivello {

// An editable genre field with a drop-down of genres and inline completion; every typed
// character and every pick is written back at once through the owner's setter. Updates touch
// the field and the list only where they differ. Main thread.
class GenreComboBox : public QComboBox
{
    Q_OBJECT
public:
    using TextSetter = std::function<void(const QString &)>;

    explicit GenreComboBox(QWidget *parent = nullptr);

    // The owner's current values: the bound text, its setter and the offered genres.
    void setBinding(const QString &text, TextSetter setText, const QStringList &options);
    // How often the item list was rebuilt (unchanged options leave it alone).
    int listRebuildCount() const { return m_rebuilds; }

private:
    void changed();

    TextSetter m_setText;
    int m_rebuilds = 0;
};

} // namespace brivello
