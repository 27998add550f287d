#pragma once
// `rimbadrums-tool render` and `rimbadrums-tool program`: a program file rendered offline to a
// WAV file by the instrument itself, and a program file described.

#include <string>
#include <vector>

namespace rimba::tool {

// The arguments after "render"; answers the process status (0 written, 1 failed, 2 misused).
int runRender(const std::vector<std::string>& args);

// The arguments after "program"; answers 0 when the file was described, 1 when it is not a
// program file the instrument reads, 2 when misused.
int runProgram(const std::vector<std::string>& args);

}  // namespace rimba::tool
