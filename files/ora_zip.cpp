#include "files/ora_zip.h"

#include <zip.h>

#include <cstring>
#include <list>

namespace qm {

namespace {
constexpr zip_uint64_t kMaxDeflateRatio = 1100;
} // namespace

struct COraZipWriter::State {
    zip_source_t* buffer = nullptr; // the archive being written, kept alive past zip_close
    zip_t* archive = nullptr;
    std::list<std::vector<uint8_t>> contents; // libzip reads them only at zip_close
    bool failed = false;
};

COraZipWriter::COraZipWriter() : state_(std::make_unique<State>())
{
    zip_error_t error;
    zip_error_init(&error);
    state_->buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (state_->buffer) {
        state_->archive = zip_open_from_source(state_->buffer, ZIP_TRUNCATE, &error);
        if (state_->archive) {
            zip_source_keep(state_->buffer);
        } else {
            zip_source_free(state_->buffer);
            state_->buffer = nullptr;
        }
    }
    state_->failed = !state_->archive;
    zip_error_fini(&error);
}

COraZipWriter::~COraZipWriter()
{
    if (state_->archive) zip_discard(state_->archive);
    if (state_->buffer) zip_source_free(state_->buffer);
}

bool COraZipWriter::add(const std::string& name, std::vector<uint8_t> bytes, bool compress)
{
    if (state_->failed) return false;
    const std::vector<uint8_t>& kept = state_->contents.emplace_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(state_->archive, kept.data(), kept.size(), 0);
    if (!source) return !(state_->failed = true);
    const zip_int64_t index =
        zip_file_add(state_->archive, name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(source);
        return !(state_->failed = true);
    }
    // A fixed time (1 January 1980, the earliest a zip can hold, plus a day) keeps the same
    // picture's archives byte-identical.
    if (zip_set_file_compression(state_->archive, zip_uint64_t(index),
                                 compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) != 0 ||
        zip_file_set_mtime(state_->archive, zip_uint64_t(index), 315532800 + 86400, 0) != 0)
        return !(state_->failed = true);
    return true;
}

std::vector<uint8_t> COraZipWriter::finish()
{
    std::vector<uint8_t> out;
    if (state_->failed) return out;
    const int closed = zip_close(state_->archive);
    if (closed != 0) return out; // the archive stays open and the destructor discards it
    state_->archive = nullptr;
    zip_source_t* buffer = state_->buffer;
    if (zip_source_open(buffer) != 0) return out;
    if (zip_source_seek(buffer, 0, SEEK_END) == 0) {
        const zip_int64_t size = zip_source_tell(buffer);
        if (size > 0 && zip_source_seek(buffer, 0, SEEK_SET) == 0) {
            out.resize(size_t(size));
            if (zip_source_read(buffer, out.data(), zip_uint64_t(size)) != size) out.clear();
        }
    }
    zip_source_close(buffer);
    state_->contents.clear();
    state_->failed = true;
    return out;
}

struct COraZipReader::Archive {
    zip_t* zip = nullptr;
    ~Archive() { zip_discard(zip); }
};

COraZipReader::COraZipReader() = default;
COraZipReader::~COraZipReader() = default;

bool COraZipReader::open(std::span<const uint8_t> bytes)
{
    if (archive_ || bytes.empty()) return false;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* zip =
        source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!zip && source) zip_source_free(source);
    zip_error_fini(&error);
    if (!zip) return false;
    archive_ = std::make_unique<Archive>();
    archive_->zip = zip;
    return true;
}

OraZipStatus COraZipReader::read(const std::string& name, size_t maxBytes,
                                 std::vector<uint8_t>& out)
{
    if (!archive_) return OraZipStatus::Missing;
    const zip_int64_t index = zip_name_locate(archive_->zip, name.c_str(), 0);
    if (index < 0) return OraZipStatus::Missing;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_->zip, zip_uint64_t(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE))
        return OraZipStatus::Damaged;
    if (stat.size > maxBytes) return OraZipStatus::TooLarge;
    // Deflate never packs more than about 1032 bytes into one: a larger stated size is a lie,
    // and must not decide how much memory we take.
    if (!(stat.valid & ZIP_STAT_COMP_SIZE) || stat.size / kMaxDeflateRatio > stat.comp_size + 1)
        return OraZipStatus::Damaged;
    zip_file_t* file = zip_fopen_index(archive_->zip, zip_uint64_t(index), 0);
    if (!file) return OraZipStatus::Damaged;
    std::vector<uint8_t> bytes(size_t(stat.size));
    // One byte more than stated: an entry holding more than its size is damaged too. libzip
    // checks the checksum when the end is reached.
    uint8_t extra = 0;
    const zip_int64_t got = bytes.empty() ? 0 : zip_fread(file, bytes.data(), bytes.size());
    const zip_int64_t beyond = got == zip_int64_t(bytes.size()) ? zip_fread(file, &extra, 1) : -1;
    zip_fclose(file);
    if (got != zip_int64_t(bytes.size()) || beyond != 0) return OraZipStatus::Damaged;
    out = std::move(bytes);
    return OraZipStatus::Ok;
}

std::string COraZipReader::firstName() const
{
    if (!archive_ || zip_get_num_entries(archive_->zip, 0) <= 0) return {};
    const char* name = zip_get_name(archive_->zip, 0, 0);
    return name ? name : "";
}

bool COraZipReader::isStored(const std::string& name) const
{
    if (!archive_) return false;
    zip_stat_t stat;
    zip_stat_init(&stat);
    const zip_int64_t index = zip_name_locate(archive_->zip, name.c_str(), 0);
    return index >= 0 && zip_stat_index(archive_->zip, zip_uint64_t(index), 0, &stat) == 0 &&
           (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE;
}

} // namespace qm
