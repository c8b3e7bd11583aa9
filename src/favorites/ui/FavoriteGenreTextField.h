#pragma once

#include <QLineEdit>
#include <QUuid>

namespace brivello {

// The genre cell's inline field: carries its row's track so that what is typed is kept as that
// track's draft and committed against it, wherever the row has moved. Main thread; made by the
// item delegate and owned by the table's viewport.
class FavoriteGenreTextField : public QLineEdit
{
    Q_OBJECT
public:
    FavoriteGenreTextField(const QUuid &trackID, QWidget *parent = nullptr);

    QUuid trackID() const { return m_trackID; }

private:
    QUuid m_trackID;
};

} // namespace brivello
