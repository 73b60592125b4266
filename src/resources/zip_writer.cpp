// Writing zip archives: the shipped themes at build time and test archives.
#include "resources/zip_writer.h"

#include <memory>

#include <archive.h>
#include <archive_entry.h>

namespace millconv {

namespace {

struct WriterFree {
    void operator()(archive* writer) const { archive_write_free(writer); }
};

struct EntryFree {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

constexpr time_t kFixedTime = 1704067200; // 2024-01-01, so a rebuild gives the same bytes

} // namespace

bool WriteZipArchive(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
    std::unique_ptr<archive, WriterFree> writer(archive_write_new());
    if (!writer || archive_write_set_format_zip(writer.get()) != ARCHIVE_OK ||
        archive_write_zip_set_compression_deflate(writer.get()) != ARCHIVE_OK ||
        archive_write_open_filename(writer.get(), path.c_str()) != ARCHIVE_OK) {
        return false;
    }
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    for (const auto& [name, data] : entries) {
        archive_entry_clear(entry.get());
        archive_entry_set_pathname(entry.get(), name.c_str());
        archive_entry_set_filetype(entry.get(), AE_IFREG);
        archive_entry_set_perm(entry.get(), 0644);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(data.size()));
        archive_entry_set_mtime(entry.get(), kFixedTime, 0);
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK) {
            return false;
        }
        if (!data.empty() && archive_write_data(writer.get(), data.data(), data.size()) !=
                                 static_cast<la_ssize_t>(data.size())) {
            return false;
        }
    }
    return archive_write_close(writer.get()) == ARCHIVE_OK;
}

} // namespace millconv
