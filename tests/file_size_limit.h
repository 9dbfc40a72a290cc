// Makes every file write of this test process fail past a size, for as long as the object
// lives: the way to cut a save short over an existing file without another user or a full
// disk. ctest runs each test in its own process, so nothing else is affected.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace qm::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ok_ = ::getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        rlimit small = saved_;
        small.rlim_cur = bytes;
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return ok_; }

private:
    rlimit saved_{};
    void (*handler_)(int) = nullptr;
    bool ok_ = false;
};

} // namespace qm::test
