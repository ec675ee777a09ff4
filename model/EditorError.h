#pragma once
#include <stdexcept>
#include <string>

// The one failure type of the editor's core. Its message is the text the user sees
// (the error display appends the full stop), e.g. "Bitmap image is not valid".
class EditorError : public std::runtime_error {
public:
    explicit EditorError(const std::string& message) : std::runtime_error(message) {}
};
