#pragma once
#include <optional>
#include <ostream>

#include "model/EditorError.h"

// The failure an action ends with, or nothing when it ends normally. Other exceptions
// pass through and fail the test.
template <class Action>
std::optional<Failure> FailureOf(Action&& action)
{
    try {
        action();
    } catch (const EditorError& error) {
        return error.failure();
    }
    return std::nullopt;
}

// Failures show in test output as the user would read them.
inline void PrintTo(Failure failure, std::ostream* out)
{
    *out << '"' << FailureText(failure) << '"';
}
