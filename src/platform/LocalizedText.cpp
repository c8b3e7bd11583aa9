#include "LocalizedText.h"

namespace brivello {

QString LocalizedText::text() const
{
    const QString looked = BrivelloLocalization::string(m_key);
    if (m_arguments.isEmpty())
        return looked;
    return TextFormatter::format(looked, m_arguments, AppLanguage::current());
}

} // namespace brivello
