#pragma once

#include <QByteArray>
#include <optional>

namespace brivello {

// What a rewrite does with pictures: keep the ones the file carries (a plain tag edit), remove
// them all (the cleaner), or put one new front cover in their place (the covers section).
struct ArtworkChange
{
    enum class Mode { keep, remove, replace };
    Mode mode = Mode::keep;
    QByteArray picture; // for replace

    static ArtworkChange keep() { return {Mode::keep, {}}; }
    static ArtworkChange remove() { return {Mode::remove, {}}; }
    static ArtworkChange replace(QByteArray picture) { return {Mode::replace, std::move(picture)}; }

    bool picturesManaged() const { return mode != Mode::keep; }
    std::optional<QByteArray> newPicture() const
    {
        return mode == Mode::replace ? std::optional<QByteArray>(picture) : std::nullopt;
    }
};

} // namespace brivello
