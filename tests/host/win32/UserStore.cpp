#include "common/platform/win32/Windows.h"

#include "tests/host/TestHost.h"

namespace rimba::test {

// The key of the plug-in's store; the Windows test run keeps the registry in a Wine prefix of
// its own, so this never reaches a user's settings.
void clearUserStore() { RegDeleteTreeA(HKEY_CURRENT_USER, "software\\RimbaDrums_64"); }

}  // namespace rimba::test
