#pragma once

namespace brivello {

// The list a metadata load writes its results into.
enum class MetadataDestination { library, analysis, duplicates };

} // namespace brivello
