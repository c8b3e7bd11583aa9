#pragma once

#include <stop_token>
#include <vector>

namespace brivello {

// One envelope extraction under way, advanced a chunk at a time on a pool thread. The owner
// destroys it on a pool thread too, since that may stop and reap a child process.
class EnvelopeSource
{
public:
    virtual ~EnvelopeSource() = default;
    // Reads one chunk; false once the input is exhausted. Throws OperationCancelled when
    // `stop` was requested.
    virtual bool step(std::stop_token stop) = 0;
    // The normalised envelope of everything read.
    virtual std::vector<float> finish() = 0;
};

} // namespace brivello
