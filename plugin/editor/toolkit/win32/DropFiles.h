#pragma once
// The file list OLE's drag and drop carries (CF_HDROP: a DROPFILES header and the names after
// it), and the UTF-8 paths of the toolkit against the UTF-16 names of Windows. Plain data work
// apart from any window, used by both halves of OleDragDrop.h. Any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rimba::toolkit::win32 {

// UTF-8 to UTF-16 and back; nothing for text that is not valid in its encoding (an unpaired
// surrogate, a broken sequence) or holds a NUL, which no file name does.
std::optional<std::wstring> wideOfUtf8(std::string_view text);
std::optional<std::string> utf8OfWide(std::wstring_view text);

// The absolute UTF-16 path of a UTF-8 one (a relative path from the current folder); nothing
// for an empty or invalid path.
std::optional<std::wstring> absoluteWidePath(std::string_view utf8Path);

// The bytes of a CF_HDROP block naming `paths`: a DROPFILES header with wide names, each name
// ended by a NUL and the list by one more (two NULs when it names nothing).
std::vector<std::byte> dropFilesBytes(const std::vector<std::wstring>& paths);

// The UTF-8 paths an HDROP names (wide or ANSI, as DragQueryFileW reads either); a name that
// cannot be written in UTF-8 is skipped.
std::vector<std::string> pathsOfDrop(void* hdrop);

}  // namespace rimba::toolkit::win32
