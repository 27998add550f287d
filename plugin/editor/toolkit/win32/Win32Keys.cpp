#include "plugin/editor/toolkit/win32/Win32Keys.h"

#include "common/platform/win32/Windows.h"
#include "plugin/editor/toolkit/KeyCodes.h"
#include "plugin/editor/toolkit/win32/Win32Text.h"

namespace rimba::toolkit::win32 {

namespace {

bool isHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The codes of the control characters WM_CHAR sends for keys the views know by code.
// X11's keysym of a character: Latin-1 is its own code, the rest Unicode's with 0x01000000.
unsigned codeOfCharacter(unsigned codePoint) { return codePoint <= 0xFF ? codePoint : 0x01000000u | codePoint; }

unsigned codeOfControlCharacter(wchar_t unit) {
    switch (unit) {
        case L'\r': return keys::kReturn;
        case L'\b': return keys::kBackSpace;
        case L'\t': return keys::kTab;
        case 0x1B: return keys::kEscape;
        default: return 0;
    }
}

}  // namespace

std::optional<unsigned> keyCodeOfVirtualKey(unsigned virtualKey, bool extended) {
    // Without the extended bit the editing block's keys are the keypad's with Num Lock off.
    switch (virtualKey) {
        case VK_LEFT: return extended ? keys::kLeft : keys::kKeypadLeft;
        case VK_RIGHT: return extended ? keys::kRight : keys::kKeypadRight;
        case VK_UP: return extended ? keys::kUp : keys::kKeypadUp;
        case VK_DOWN: return extended ? keys::kDown : keys::kKeypadDown;
        case VK_HOME: return extended ? keys::kHome : keys::kKeypadHome;
        case VK_END: return extended ? keys::kEnd : keys::kKeypadEnd;
        case VK_DELETE: return extended ? keys::kDelete : keys::kKeypadDelete;
        case VK_PRIOR: return keys::kPageUp;
        case VK_NEXT: return keys::kPageDown;
        case VK_INSERT: return keys::kInsert;
        // The keypad's Enter sends '\r' as WM_CHAR too, which would read as Return: it is taken
        // here by its code, and its WM_CHAR is dropped (keypadEnterPending in the frame window).
        case VK_RETURN: return extended ? std::optional<unsigned>(keys::kKeypadEnter) : std::nullopt;
        default: return std::nullopt;
    }
}

std::optional<TypedKey> CharacterJoiner::take(wchar_t unit) {
    if (isHighSurrogate(unit)) {
        const bool orphan = pendingHigh != 0;
        pendingHigh = unit;
        if (orphan)
            return TypedKey{codeOfCharacter(0xFFFD), "\xEF\xBF\xBD"};
        return std::nullopt;
    }
    if (isLowSurrogate(unit)) {
        if (pendingHigh == 0)
            return TypedKey{codeOfCharacter(0xFFFD), "\xEF\xBF\xBD"};
        const wchar_t pair[2] = {pendingHigh, unit};
        pendingHigh = 0;
        const unsigned codePoint =
            0x10000u + ((static_cast<unsigned>(pair[0]) - 0xD800u) << 10) + (static_cast<unsigned>(pair[1]) - 0xDC00u);
        return TypedKey{codeOfCharacter(codePoint), utf8Of(std::wstring_view(pair, 2))};
    }
    pendingHigh = 0;
    if (unit < 0x20 || unit == 0x7F)
        return TypedKey{codeOfControlCharacter(unit), {}};
    return TypedKey{codeOfCharacter(unit), utf8Of(std::wstring_view(&unit, 1))};
}

}  // namespace rimba::toolkit::win32
