#include "tests/common/platform/SystemLibraries.h"

namespace rimba::platform {

// Windows' C runtime, which the MinGW build links against, is on every Windows system.
const char* const kMathLibrary = "msvcrt.dll";

const char* missingLibraryPath() { return "C:\\nonexistent\\folder\\RimbaMissing.dll"; }

}  // namespace rimba::platform
