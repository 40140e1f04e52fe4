#pragma once

#include <exception>

// The silent abort: a handler throws it to stop an operation without a
// message. The application swallows it wherever it arrives.
class EAbort : public std::exception
{
public:
    const char *what() const noexcept override { return "Operation aborted"; }
};

[[noreturn]] inline void Abort() { throw EAbort(); }
