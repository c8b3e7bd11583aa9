#include "AnalysisError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace brivello {

AnalysisError AnalysisError::fromLibav(int status)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    return AnalysisError(QStringLiteral("FFmpeg"), status, QString::fromUtf8(text));
}

} // namespace brivello
