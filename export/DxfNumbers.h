#pragma once
#include <array>
#include <string>
#include <string_view>

#include "model/HeightScale.h"

// Real numbers as the mesh file writes them: fixed-point, right-aligned in a field, a
// half rounding away from zero, never touched by the locale (a German desktop would
// otherwise write "1,7067").
std::string FormatFixed(double value, int decimals, int width);

// The mesh's 8.4 lines ("  1.7067\r\n") prepared once. Sampled heights are channel
// sums in height units (HeightOfSum) and corner coordinates small whole numbers, so a table covers every value a
// real export meets; anything else is formatted into the caller's scratch string.
class DxfNumberTable {
public:
    static constexpr int kSums = kChannelSums;
    static constexpr int kCoordinates = kLargestGridSize + 2;  // every grid index a mesh uses

    DxfNumberTable();

    // The line for a height; the returned text lives in the table or in scratch.
    // Inline: an export looks up some 90,000 heights.
    std::string_view heightLine(double height, std::string& scratch) const
    {
        // NaN fails both comparisons; within the range the nearest sum is the only candidate.
        if (height >= 0.0 && height <= kTopHeight) {
            const auto sum = static_cast<std::size_t>(height * kChannelSumsPerUnit + 0.5);
            if (heights_[sum] == height)
                return Line(sumLines_[sum]);
        }
        return formattedLine(height, scratch);
    }
    std::string_view coordinateLine(int coordinate, std::string& scratch) const
    {
        if (coordinate >= 0 && coordinate < kCoordinates)
            return Line(coordinateLines_[static_cast<std::size_t>(coordinate)]);
        return formattedLine(coordinate, scratch);
    }

    // The height sampling gives for a channel sum, and the table's line for it.
    double sumHeight(int sum) const { return heights_[static_cast<std::size_t>(sum)]; }
    std::string_view sumLine(int sum) const { return Line(sumLines_[static_cast<std::size_t>(sum)]); }

private:
    using LineText = std::array<char, 10>;  // 8 characters and CR LF
    static std::string_view Line(const LineText& text) { return {text.data(), text.size()}; }
    static std::string_view formattedLine(double value, std::string& scratch);

    std::array<double, kSums> heights_;
    std::array<LineText, kSums> sumLines_;
    std::array<LineText, kCoordinates> coordinateLines_;
};

// Built on first use, shared by every export.
const DxfNumberTable& DxfNumbers();
