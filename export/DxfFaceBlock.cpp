#include "export/DxfFaceBlock.h"

#include "files/SafeFileWriter.h"

namespace {

constexpr std::size_t kBlockSize = std::size_t{2} << 20;

} // namespace

// Left uninitialised: every byte handed on is written first.
DxfFaceBlock::DxfFaceBlock(SafeFileWriter& out)
    : out_(out), capacity_(kBlockSize), block_(std::make_unique_for_overwrite<char[]>(kBlockSize))
{
}

void DxfFaceBlock::add(const std::string_view (&values)[12])
{
    using namespace dxf_face;
    std::size_t size = kStart.size() + kEnd.size();
    for (std::size_t k = 0; k < 12; ++k)
        size += kCodes[k].size() + values[k].size();
    char* out = claim(size);
    auto put = [&out](std::string_view part) {
        std::memcpy(out, part.data(), part.size());
        out += part.size();
    };
    put(kStart);
    for (std::size_t k = 0; k < 12; ++k) {
        put(kCodes[k]);
        put(values[k]);
    }
    put(kEnd);
}

void DxfFaceBlock::flush()
{
    const std::size_t size = used_;
    used_ = 0;
    out_.write(block_.get(), size);
}

void DxfFaceBlock::makeRoom(std::size_t size)
{
    flush();
    // Only a face with values far outside the mesh's range could need more.
    if (size > capacity_) {
        block_ = std::make_unique_for_overwrite<char[]>(size);
        capacity_ = size;
    }
}
