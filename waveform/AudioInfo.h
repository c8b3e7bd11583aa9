#pragma once

namespace brivello {

// What a scrubber learns about its file: the duration in seconds (finite, not negative).
struct AudioInfo
{
    double duration = 0;
    bool operator==(const AudioInfo &) const = default;
};

} // namespace brivello
