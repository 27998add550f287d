#pragma once
// The one-folder scan behind every file menu of the editor: sound files, kits, pattern sets,
// programs and effect libraries.
// User-interface thread (it reads the file system, so never the audio thread).

#include <string>
#include <vector>

namespace rimba {

// Appends the name of every file in `folder` (not in its sub-folders) whose extension matches
// `filter` to both `names` and `menuTexts`, in the stable order of platform::listFolder.
// The extension is the text after the last '.'; it must equal `filter` exactly (letter case
// counts). An empty filter means sound files: wav, mp3, aif and aiff, in lower or upper case.
// `folder` must be an absolute path; anything else lists nothing.
void listFolderFiles(std::vector<std::string>& names, std::vector<std::string>& menuTexts, const std::string& folder,
                     const std::string& filter);

}  // namespace rimba
