#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/Failure.h"

// The one failure type of the editor's core: a code from the list of failures, with the
// text the user sees as its message (the error display appends the full stop), e.g.
// EditorError(Failure::CannotOpen, name) reads "Cannot open file <name>".
class EditorError : public std::runtime_error {
public:
    explicit EditorError(Failure failure, std::string_view detail = {})
        : std::runtime_error(FailureText(failure, detail)), failure_(failure)
    {
    }

    Failure failure() const { return failure_; }

private:
    Failure failure_;
};
