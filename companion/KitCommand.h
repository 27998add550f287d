#pragma once
// `rimbadrums-tool kit`: a kit file described as the instrument reads it.

#include <string>
#include <vector>

namespace rimba::tool {

// The arguments after "kit"; answers 0 when the file was described, 1 when it is not a kit the
// instrument reads, 2 when misused.
int runKit(const std::vector<std::string>& args);

}  // namespace rimba::tool
