#include "StandAlone/MainWindow.h"

#include <algorithm>

namespace rimba::standalone {

namespace {

constexpr int kMinimumClientSide = 100;

}  // namespace

ClientSize clientSizeFor(int editorWidth, int editorHeight) {
    return {std::max(editorWidth, kMinimumClientSide), std::max(editorHeight, kMinimumClientSide)};
}

}  // namespace rimba::standalone
