#pragma once
// The toolkit's key codes: what CView::onKeyDown gets as its key symbol. The values are X11's
// keysyms, so that the X11 half passes what XLookupString gives as it is; the Windows half maps
// its virtual keys to these (win32/Win32Keys.h). Printable keys come as their text besides.

namespace rimba::toolkit::keys {

constexpr unsigned kBackSpace = 0xff08;
constexpr unsigned kTab = 0xff09;
constexpr unsigned kReturn = 0xff0d;
constexpr unsigned kEscape = 0xff1b;
constexpr unsigned kHome = 0xff50;
constexpr unsigned kLeft = 0xff51;
constexpr unsigned kUp = 0xff52;
constexpr unsigned kRight = 0xff53;
constexpr unsigned kDown = 0xff54;
constexpr unsigned kPageUp = 0xff55;
constexpr unsigned kPageDown = 0xff56;
constexpr unsigned kEnd = 0xff57;
constexpr unsigned kInsert = 0xff63;
constexpr unsigned kKeypadEnter = 0xff8d;
constexpr unsigned kKeypadHome = 0xff95;
constexpr unsigned kKeypadLeft = 0xff96;
constexpr unsigned kKeypadUp = 0xff97;
constexpr unsigned kKeypadRight = 0xff98;
constexpr unsigned kKeypadDown = 0xff99;
constexpr unsigned kKeypadEnd = 0xff9c;
constexpr unsigned kKeypadDelete = 0xff9f;
constexpr unsigned kDelete = 0xffff;
// Printable ASCII keys are their own code (Latin-1 keysyms equal the character): 'a' is 0x61.
constexpr unsigned kSpace = 0x20;

}  // namespace rimba::toolkit::keys
