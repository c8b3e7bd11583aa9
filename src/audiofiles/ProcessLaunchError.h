#pragma once

#include <stdexcept>

namespace brivello {

// Raised when a child program cannot be started; carries the system's message.
class ProcessLaunchError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace brivello
