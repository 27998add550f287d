#pragma once
// The system's own answers under Paths.cpp, which builds the instrument's folders from them. Only
// the platform layer includes this header; everything above it uses Paths.h.

#include <string>

namespace rimba::platform {

namespace calls {

// The folder that holds the default library folder ("VORN Studio/Rimba Drums" below it): the
// program-files special folder on Windows, the user's XDG data folder on Linux. It may end with
// separators.
std::string libraryParentFolder();

}  // namespace calls

// `folder` without the separators at its end, for the halves that build folders as well
// (Paths.cpp).
std::string withoutTrailingSeparators(std::string folder);

}  // namespace rimba::platform
