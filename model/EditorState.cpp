#include "model/EditorState.h"

#include <limits>

#include "model/HeightScale.h"
#include "model/ImageSurface.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

void InitDefaults(EditorState& state)
{
    state.drawing = false;
    state.currentTool = Tool::Pencil;
    state.nibSize = 10;
    state.exportBlackPlanes = true;
    state.exportWhitePlanes = true;
}

void ResetGrid(EditorState& state, const ImageSurface& surface)
{
    state.gridSize = 50;
    state.imageWidth = surface.width();
    state.imageHeight = surface.height();
    state.heights.clear();
    RecomputeSteps(state);
    state.drawing = false;
}

void RecomputeSteps(EditorState& state)
{
    // Both operands convert to double exactly, so one division gives the double nearest
    // to the exact quotient. A grid size of 0 (an empty box) gives infinite steps, which
    // nothing uses: every loop over the grid runs zero times then.
    state.stepX = static_cast<double>(state.imageWidth) / static_cast<double>(state.gridSize);
    state.stepY = static_cast<double>(state.imageHeight) / static_cast<double>(state.gridSize);
}

std::int32_t ReadNumberBox(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate the magnitude in 64 bits and stop growing it past the 32-bit range, so a
    // long run of digits saturates instead of overflowing.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    if (negative)
        return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min<std::int64_t>(magnitude, kLimit - 1));
}

void ApplyGridSizeText(EditorState& state, std::string_view text)
{
    state.gridSize = ReadNumberBox(text);
    if (state.gridSize > kLargestGridSize)
        state.gridSize = kLargestGridSize;
    RecomputeSteps(state);
}
