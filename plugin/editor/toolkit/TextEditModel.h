#pragma once
// The text being typed into a text edit or a name field: the text, the caret, and what each key
// does to them, free of any window system. Text is UTF-8; the caret and the editing keys move
// over whole characters, never into the middle of one. Editor thread only.

#include <cstddef>
#include <string>
#include <string_view>

namespace rimba::toolkit {

class TextEditModel {
public:
    enum class KeyResult { ignored, edited, moved, commit, cancel };

    explicit TextEditModel(std::string text = {}, std::size_t maxLength = 255);

    // Replaces the text and puts the caret at its end.
    void setText(std::string text);
    const std::string& getText() const { return text; }
    std::size_t caret() const { return caretByte; }  // a byte offset at a character's start

    // `keySymbol` is an X key symbol; `typed` the characters the key produced (may be empty).
    // Enter commits, Escape cancels; control characters in `typed` are never inserted.
    KeyResult onKey(unsigned keySymbol, std::string_view typed);

    // Inserts printable characters at the caret, as far as the length limit (in bytes) allows
    // whole characters; true when anything was inserted.
    bool insert(std::string_view typed);

private:
    std::size_t previousCharacter(std::size_t at) const;
    std::size_t nextCharacter(std::size_t at) const;

    std::string text;
    std::size_t caretByte = 0;
    std::size_t maxLength;
};

}  // namespace rimba::toolkit
