#pragma once
// The system loader's record of the module that holds the instrument's code, under
// ModuleFolder.cpp. Only the platform layer includes this header; everything above it uses
// ModuleFolder.h.

#include <string>

namespace rimba::platform::calls {

// The absolute path of the module's file (shared library or program) as the loader names it,
// links not resolved; empty when the system cannot tell.
std::string modulePath();

}  // namespace rimba::platform::calls
