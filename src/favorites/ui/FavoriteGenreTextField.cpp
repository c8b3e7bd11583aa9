#include "FavoriteGenreTextField.h"

namespace brivello {

FavoriteGenreTextField::FavoriteGenreTextField(const QUuid &trackID, QWidget *parent)
    : QLineEdit(parent)
    , m_trackID(trackID)
{
    setFrame(false);
}

} // namespace brivello
