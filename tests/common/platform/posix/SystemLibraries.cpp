#include "tests/common/platform/SystemLibraries.h"

namespace rimba::platform {

// The C library's maths library is on every Linux system.
const char* const kMathLibrary = "libm.so.6";

const char* missingLibraryPath() { return "/nonexistent/folder/libRimbaMissing.so"; }

}  // namespace rimba::platform
