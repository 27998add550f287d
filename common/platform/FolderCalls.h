#pragma once
// The system's own folder listing under FolderScan.cpp, which gives the listing its order. Only
// the platform layer includes this header; everything above it uses FolderScan.h.

#include <string_view>
#include <vector>

#include "common/platform/FolderScan.h"

namespace rimba::platform::calls {

// "." and "..": a listing passes over them before asking anything about them.
inline bool isSelfOrParent(std::string_view name) { return name == "." || name == ".."; }

// The entries of a folder named by a non-empty path, in whatever order the file system keeps
// them, without "." and ".."; a link to a folder counts as a folder. Empty when the folder cannot
// be read.
std::vector<FolderEntry> readFolder(const std::string& folder);

}  // namespace rimba::platform::calls
