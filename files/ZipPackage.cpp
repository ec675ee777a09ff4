#include "files/ZipPackage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>
#include <zip.h>

#include "files/BufferedWriter.h"
#include "files/SafeFileWriter.h"

// libzip writes the archive through a source of ours, pulling each part through another.
// It is C: nothing may be thrown through it, so each callback keeps the first exception
// and reports a failure, and the exception is thrown again once libzip has given up.

namespace {

// 1 January 1980 at midnight in MS-DOS form: the earliest date a zip entry holds.
constexpr zip_uint16_t kDosTime = 0;
constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;

// What the callbacks share: the first failure and libzip's error for it.
struct Failures {
    std::exception_ptr first;
    zip_error_t error;

    Failures() { zip_error_init(&error); }
    ~Failures() { zip_error_fini(&error); }
    Failures(const Failures&) = delete;
    Failures& operator=(const Failures&) = delete;

    // Keeps the exception being handled; returns -1 for the callback to hand back.
    zip_int64_t keep(int zipError)
    {
        if (!first)
            first = std::current_exception();
        zip_error_set(&error, zipError, 0);
        return -1;
    }
};

// The archive's own source: appends through the writer, and overwrites when libzip
// goes back to fix a header.
struct ArchiveSink {
    BufferedWriter& out;
    Failures& failures;
    std::uint64_t cursor = 0;

    zip_int64_t write(const void* data, zip_uint64_t size)
    {
        try {
            const auto* bytes = static_cast<const char*>(data);
            const std::uint64_t end = out.position();
            // Over bytes already written up to the end, then on at the end.
            if (cursor < end) {
                const auto over = static_cast<std::size_t>(std::min<std::uint64_t>(size, end - cursor));
                out.overwrite(cursor, bytes, over);
                bytes += over;
                cursor += over;
                size -= over;
            }
            if (size > 0) {
                out.write(bytes, static_cast<std::size_t>(size));
                cursor += size;
            }
            return static_cast<zip_int64_t>(bytes - static_cast<const char*>(data)) + static_cast<zip_int64_t>(size);
        } catch (const std::bad_alloc&) {
            return failures.keep(ZIP_ER_MEMORY);
        } catch (...) {
            return failures.keep(ZIP_ER_WRITE);
        }
    }

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto& sink = *static_cast<ArchiveSink*>(self);
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT:
            // A fresh archive, told as libzip's own file source tells a missing file.
            zip_error_set(&sink.failures.error, ZIP_ER_READ, ENOENT);
            return -1;
        case ZIP_SOURCE_WRITE:
            return sink.write(data, length);
        case ZIP_SOURCE_SEEK_WRITE: {
            const zip_int64_t to = zip_source_seek_compute_offset(sink.cursor, sink.out.position(), data, length,
                                                                  &sink.failures.error);
            if (to < 0)
                return -1;
            if (static_cast<std::uint64_t>(to) > sink.out.position()) {
                zip_error_set(&sink.failures.error, ZIP_ER_INVAL, 0);
                return -1;
            }
            sink.cursor = static_cast<std::uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return static_cast<zip_int64_t>(sink.cursor);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&sink.failures.error, data, length);
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_COMMIT_WRITE:    // the caller commits the file
        case ZIP_SOURCE_ROLLBACK_WRITE:  // the caller's writer removes it
        case ZIP_SOURCE_REMOVE:
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            zip_error_set(&sink.failures.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

// One part as libzip reads it, a piece at a time.
struct PartSource {
    const ZipPart& part;
    Failures& failures;
    std::unique_ptr<char[]> piece = std::make_unique_for_overwrite<char[]>(kZipPieceSize);
    std::size_t held = 0, taken = 0;
    bool ended = false;

    zip_int64_t read(void* data, zip_uint64_t length)
    {
        try {
            if (taken == held && !ended) {
                held = part.fill(piece.get(), kZipPieceSize);
                taken = 0;
                ended = held == 0;
            }
            const auto size = static_cast<std::size_t>(std::min<zip_uint64_t>(length, held - taken));
            std::memcpy(data, piece.get() + taken, size);
            taken += size;
            return static_cast<zip_int64_t>(size);
        } catch (const std::bad_alloc&) {
            return failures.keep(ZIP_ER_MEMORY);
        } catch (...) {
            return failures.keep(ZIP_ER_READ);
        }
    }

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto& source = *static_cast<PartSource*>(self);
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_READABLE;
        case ZIP_SOURCE_STAT: {
            // Nothing known in advance: libzip counts the sizes as it reads.
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source.failures.error);
            if (stat == nullptr)
                return -1;
            zip_stat_init(stat);
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_READ:
            return source.read(data, length);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&source.failures.error, data, length);
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            zip_error_set(&source.failures.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

// The failure libzip reported, as this program's: what a callback threw first, else
// memory, else an I/O error.
[[noreturn]] void Rethrow(const Failures& failures, const zip_error_t* reported)
{
    if (failures.first)
        std::rethrow_exception(failures.first);
    if (reported != nullptr && zip_error_code_zip(reported) == ZIP_ER_MEMORY)
        throw std::bad_alloc();
    throw FileWriteError{FileWriteError::Stage::Write, EIO};
}

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

} // namespace

void WriteZipPackage(BufferedWriter& out, std::span<const ZipPart> parts, int level)
{
    Failures failures;
    ArchiveSink sink{out, failures, out.position()};
    // Parts first: the archive hands them back (freed) only when it goes.
    std::vector<std::unique_ptr<PartSource>> sources;
    sources.reserve(parts.size());
    for (const ZipPart& part : parts)
        sources.push_back(std::make_unique<PartSource>(PartSource{part, failures}));

    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* archiveSource = zip_source_function_create(&ArchiveSink::Callback, &sink, &error);
    if (archiveSource == nullptr) {
        zip_error_fini(&error);
        throw std::bad_alloc();
    }
    std::unique_ptr<zip_t, ArchiveDiscard> archive(zip_open_from_source(archiveSource, ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_source_free(archiveSource);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_MEMORY)
            throw std::bad_alloc();
        Rethrow(failures, nullptr);
    }
    zip_error_fini(&error);

    const zip_int32_t method = level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        zip_source_t* source = zip_source_function(archive.get(), &PartSource::Callback, sources[k].get());
        if (source == nullptr)
            Rethrow(failures, zip_get_error(archive.get()));
        const zip_int64_t index = zip_file_add(archive.get(), parts[k].name.c_str(), source, 0);
        if (index < 0) {
            zip_source_free(source);
            Rethrow(failures, zip_get_error(archive.get()));
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(archive.get(), entry, method, static_cast<zip_uint32_t>(level)) != 0 ||
            zip_file_set_dostime(archive.get(), entry, kDosTime, kDosDate, 0) != 0)
            Rethrow(failures, zip_get_error(archive.get()));
    }
    if (zip_close(archive.get()) != 0)
        Rethrow(failures, zip_get_error(archive.get()));  // the archive is discarded on the way out
    archive.release();  // closed, and so freed
}
