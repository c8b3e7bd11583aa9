#pragma once

#include <exception>

namespace brivello {

// Raised when a running operation sees its stop token requested.
class OperationCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "operation cancelled"; }
};

} // namespace brivello
