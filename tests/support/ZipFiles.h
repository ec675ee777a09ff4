#pragma once
// Zip packages read back: every entry's name and bytes through libzip's reader, with the
// archive's consistency checked, and the fields of the local headers read from the raw
// bytes, so tests see what any unzip tool would.
#include <cstdint>
#include <string>
#include <vector>
#include <zip.h>

#include "files/ByteOrder.h"

struct ZipEntry {
    std::string name;
    std::string bytes;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
};

// The entries in archive order; empty with ok false when the archive does not open or
// an entry does not read.
struct ZipContents {
    bool ok = false;
    std::vector<ZipEntry> entries;
};

inline ZipContents ReadZip(const std::string& path)
{
    ZipContents contents;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr)
        return contents;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t k = 0; k < count; ++k) {
        zip_stat_t stat;
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(k), 0);
        if (file == nullptr || zip_stat_index(archive, static_cast<zip_uint64_t>(k), 0, &stat) != 0) {
            zip_discard(archive);
            return contents;
        }
        ZipEntry entry{stat.name, std::string(stat.size, '\0'), stat.comp_method};
        const zip_int64_t read = zip_fread(file, entry.bytes.data(), entry.bytes.size());
        zip_fclose(file);
        if (read != static_cast<zip_int64_t>(entry.bytes.size())) {
            zip_discard(archive);
            return contents;
        }
        contents.entries.push_back(std::move(entry));
    }
    zip_discard(archive);
    contents.ok = true;
    return contents;
}

// The fixed fields of each local file header, walked from the start of the archive by
// the compressed sizes the central directory would repeat.
struct LocalHeader {
    std::uint16_t flags, method, time, date;
    std::uint32_t crc, compressedSize, size;
    std::string name;
};

inline std::vector<LocalHeader> LocalHeaders(const std::string& bytes)
{
    std::vector<LocalHeader> headers;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t at = 0;
    while (at + 30 <= bytes.size() && ReadU32(data + at) == 0x04034b50u) {
        const std::uint8_t* h = data + at;
        LocalHeader header{ReadU16(h + 6),  ReadU16(h + 8),  ReadU16(h + 10), ReadU16(h + 12),
                           ReadU32(h + 14), ReadU32(h + 18), ReadU32(h + 22), {}};
        const std::size_t nameSize = ReadU16(h + 26), extraSize = ReadU16(h + 28);
        header.name = bytes.substr(at + 30, nameSize);
        std::uint64_t compressed = header.compressedSize;
        // Zip64: the sizes live in the extra field when the header says 0xFFFFFFFF.
        if (compressed == 0xFFFFFFFFu && extraSize >= 20 && ReadU16(h + 30 + nameSize) == 1)
            compressed = ReadU32(h + 30 + nameSize + 12) | (std::uint64_t{ReadU32(h + 30 + nameSize + 16)} << 32);
        headers.push_back(header);
        at += 30 + nameSize + extraSize + compressed;
    }
    return headers;
}
