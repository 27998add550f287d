#pragma once
// The system's own loader calls under the portable logic of DynamicLibrary.cpp (refusing an empty
// path or a closed library, keeping the reason of the last failure). Only the platform layer
// includes this header; everything above it uses DynamicLibrary.h.

#include <string>

namespace rimba::platform::calls {

// Loads the library at a non-empty `path` without binding its symbols to other libraries'; null,
// with the system's reason in `error`, when it cannot be loaded. Never shows the user anything.
void* loadLibrary(const std::string& path, std::string& error);
void unloadLibrary(void* library);
// Looks `name` up in an open library. False, with the system's reason in `error`, when it is not
// there; a symbol that is there may still have a null address (POSIX allows that).
bool findSymbol(void* library, const char* name, void*& address, std::string& error);

}  // namespace rimba::platform::calls
