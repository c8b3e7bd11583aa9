#pragma once

#include "platform/AppLanguage.h"

#include <QString>

namespace brivello {

// A file size the way file managers print it: decimal units (1 KB = 1000 bytes), whole
// kilobytes, one decimal for megabytes, two from gigabytes up, unit names in the interface
// language. Pure; any thread.
class ByteCountText
{
public:
    static QString fileStyle(qint64 bytes, AppLanguage language);
};

} // namespace brivello
