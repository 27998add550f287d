#pragma once
// The folder of the module (shared library or program) that holds the instrument's code, so that
// files installed beside the plug-in can be found wherever the plug-in was put.
// Any thread except the audio thread (it may ask the system for the current folder).

#include <string>

namespace rimba::platform {

// The module's folder as the system loader names it, without a trailing separator; links are
// not resolved, so a plug-in reached through a link looks beside the link. Empty when the
// system cannot tell.
std::string moduleFolder();

}  // namespace rimba::platform
