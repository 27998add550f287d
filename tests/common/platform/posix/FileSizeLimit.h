#pragma once
// Makes every write beyond `limit` bytes fail with EFBIG for this process, the way a full disk
// would, and restores the limit and the signal afterwards. Root ignores folder permissions, so
// this is how the tests make a write fail part way through.

#include <sys/resource.h>

#include <csignal>

namespace rimba::platform::fixtures {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = limit;
        applied = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool isApplied() const { return applied; }

private:
    rlimit saved{};
    void (*previousHandler)(int) = SIG_DFL;
    bool applied = false;
};

}  // namespace rimba::platform::fixtures
