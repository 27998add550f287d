#pragma once
// The keyboard on Windows as the views get it (KeyCodes.h): WM_KEYDOWN's virtual keys of the keys
// that type nothing become the toolkit's key codes, and WM_CHAR's UTF-16 units become UTF-8 text
// with the code of the character typed as X11 would give it (a Latin-1 character is its own code,
// any other 0x01000000 plus its code point).

#include <optional>
#include <string>

namespace rimba::toolkit::win32 {

// The toolkit's code of a key that types no character (arrows, Home, Delete, the keypad's
// Enter), or nothing for a key whose WM_CHAR carries it (letters, Return, Backspace, Escape).
// `extended` is bit 24 of the message's lParam: the keypad's Enter and the editing block's keys
// share virtual keys with others and differ by it.
std::optional<unsigned> keyCodeOfVirtualKey(unsigned virtualKey, bool extended);

// What a WM_CHAR means to the views.
struct TypedKey {
    unsigned code = 0;  // the toolkit's key code
    std::string text;  // UTF-8; empty for a control character
};

// Joins WM_CHAR's UTF-16 units into characters: a high surrogate waits for its low half.
class CharacterJoiner {
public:
    // Nothing while a surrogate pair is half there. A lone half becomes U+FFFD.
    std::optional<TypedKey> take(wchar_t unit);

private:
    wchar_t pendingHigh = 0;
};

}  // namespace rimba::toolkit::win32
