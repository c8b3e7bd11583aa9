#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace brivello {

// Finds the ffmpeg program: the copy shipped beside the executable ("MP3Converter/ffmpeg"),
// then the usual install places, then the absolute entries of PATH. Only regular executable
// files count. Nothing is cached; callable from any thread.
class FFmpegExecutable
{
public:
    struct SearchPlaces
    {
        QString resourceFolder; // holds "MP3Converter/ffmpeg"; empty for none
        QStringList fixedPaths; // full program paths, in order
        QString pathVariable;   // the PATH value
    };

    static std::optional<QUrl> url();
    static std::optional<QUrl> url(const SearchPlaces &places);

    // The real places: the application's folder, the fixed list and the process's PATH.
    static SearchPlaces systemPlaces();
    static const QStringList &fixedPaths();

    // Tests point every caller at their own places; nothing restores the real ones.
    static void setPlacesForTesting(std::optional<SearchPlaces> places);
};

} // namespace brivello
