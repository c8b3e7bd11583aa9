#pragma once

namespace brivello {

// How an envelope is stretched to a drawing with more positions than it has points.
enum class UpsampleStrategy { smooth, cosine, linear, hold, none };

} // namespace brivello
