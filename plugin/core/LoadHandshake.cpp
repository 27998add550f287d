#include "plugin/core/LoadHandshake.h"

#include "common/platform/Clock.h"
#include "plugin/model/Constants.h"

namespace rimba {

void LoadHandshake::beginLoad() {
    lastLoadBegan.store(platform::tickMilliseconds());
    loadsInProgress.fetch_add(1);
    waitForRenderToEnd();
}

void LoadHandshake::waitForRenderToEnd() const {
    const std::uint32_t started = platform::tickMilliseconds();
    while (renderActive.load() != 0) {
        if (platform::tickMilliseconds() - started > kLoadWaitMilliseconds)
            break;
        platform::sleepMilliseconds(1);
    }
}

void LoadHandshake::endLoad() {
    loadsEnded.fetch_add(1);
    std::int32_t count = loadsInProgress.load();
    while (count > 0 && !loadsInProgress.compare_exchange_weak(count, count - 1)) {
    }
}

}  // namespace rimba
