#include "common/platform/SystemMessage.h"

namespace rimba::platform {

void showSystemMessage(const std::string& text, const std::string& caption) {
    writeMessageToStandardError(text, caption);
}

}  // namespace rimba::platform
