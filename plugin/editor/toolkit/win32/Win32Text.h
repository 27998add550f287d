#pragma once
// The toolkit's text is UTF-8; the Windows API's wide functions take UTF-16. Invalid input
// becomes U+FFFD both ways (the system's own conversion), never a failure.

#include <string>
#include <string_view>

namespace rimba::toolkit::win32 {

std::wstring wideOf(std::string_view utf8);
std::string utf8Of(std::wstring_view utf16);

}  // namespace rimba::toolkit::win32
