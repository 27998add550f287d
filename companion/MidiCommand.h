#pragma once
// `rimbadrums-tool midi`: a pattern set file exported as a Standard MIDI File by the
// instrument's own pattern loader and MIDI export.

#include <string>
#include <vector>

namespace rimba::tool {

// The arguments after "midi"; answers the process status (0 written, 1 failed, 2 misused).
int runMidi(const std::vector<std::string>& args);

}  // namespace rimba::tool
