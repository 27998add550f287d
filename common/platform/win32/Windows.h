#pragma once
// The Windows API as every Win32 file of the tree includes it: without the min and max macros,
// which break std::min, std::max and numeric_limits, and without the rarely used parts (sockets,
// OLE, cryptography) that slow the build and clash with names of our own. A file that needs one of
// those parts includes its header after this one.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
