#pragma once
// Libraries every machine of a system has, for the dynamic-library tests; each half of the tests
// (posix/, win32/) names its own.

namespace rimba::platform {

// A library of the C runtime that exports cos and sin as plain C functions.
extern const char* const kMathLibrary;

// A library path that does not exist.
const char* missingLibraryPath();

}  // namespace rimba::platform
