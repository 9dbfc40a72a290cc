// Saving without ever damaging the file that is already there.
#include "core/safe_file.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

// Writes all bytes, retrying short writes; false on any error.
bool writeAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates a new, uniquely named file next to `path`; -1 on failure.
int createTemporary(const std::string& path, std::string& name)
{
    static std::atomic<uint32_t> counter{0};
    const std::string folder = folderOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.quillmere-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter++) + ".tmp";
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}

} // namespace

namespace {

// The file at `path` also becomes "<path>~": a second name for the same file, so the new
// one can be renamed over `path` without a moment in which neither exists. Where the file
// system has no hard links it is renamed instead.
bool keepAsPrevious(const std::string& path)
{
    struct stat old {};
    if (::stat(path.c_str(), &old) != 0) return errno == ENOENT; // nothing to keep
    const std::string previous = path + "~";
    if (::unlink(previous.c_str()) != 0 && errno != ENOENT) return false;
    return ::link(path.c_str(), previous.c_str()) == 0 ||
           ::rename(path.c_str(), previous.c_str()) == 0;
}

} // namespace

bool saveFileReplacing(const std::string& path, const ChunkProducer& produce, bool keepPrevious)
{
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) return false;
    bool ok = true;
    std::vector<uint8_t> chunk;
    while (ok && produce(chunk))
        ok = writeAll(fd, chunk.data(), chunk.size());
    // An existing file keeps its permissions.
    struct stat old {};
    if (ok && ::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && (!keepPrevious || keepAsPrevious(path));
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}


bool saveFileReplacing(const std::string& path, std::span<const uint8_t> bytes, bool keepPrevious)
{
    bool given = false;
    return saveFileReplacing(path, [&](std::vector<uint8_t>& chunk) {
        if (given)
            return false;
        chunk.assign(bytes.begin(), bytes.end());
        given = true;
        return true;
    }, keepPrevious);
}

} // namespace qm
