#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>

class BufferedWriter;

// One file of a zip package. Its bytes are pulled while the archive is written, so no
// part is ever held whole: fill puts up to `room` bytes at `into` (room is always
// kZipPieceSize) and returns how many, never 0 until the part is complete, then 0.
struct ZipPart {
    std::string name;
    std::function<std::size_t(char* into, std::size_t room)> fill;
};

inline constexpr std::size_t kZipPieceSize = std::size_t{64} << 10;

// Writes a zip archive of the parts, in order, into out: each part deflated at level
// (1 fastest .. 9 smallest; 0 stores it), with a fixed date (1 January 1980) and no field
// that depends on the host or the clock, so the same parts always give the same bytes.
// The archive goes through out, which lets the headers be fixed once each part's sizes
// are known. Throws FileWriteError as out does, std::bad_alloc when memory runs out, and
// what a part's fill throws; FileWriteError with EIO for any other failure.
void WriteZipPackage(BufferedWriter& out, std::span<const ZipPart> parts, int level);
