#include "plugin/editor/toolkit/TextEditModel.h"

#include <algorithm>
#include <utility>

#include "plugin/editor/toolkit/KeyCodes.h"

namespace rimba::toolkit {

namespace {

bool isContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the UTF-8 character that starts with `lead`; a stray byte counts as one.
std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

}  // namespace

TextEditModel::TextEditModel(std::string initial, std::size_t limit) : maxLength(limit) { setText(std::move(initial)); }

void TextEditModel::setText(std::string newText) {
    text = std::move(newText);
    caretByte = text.size();
}

std::size_t TextEditModel::previousCharacter(std::size_t at) const {
    if (at == 0) {
        return 0;
    }
    std::size_t before = at - 1;
    while (before > 0 && isContinuationByte(static_cast<unsigned char>(text[before]))) {
        --before;
    }
    return before;
}

std::size_t TextEditModel::nextCharacter(std::size_t at) const {
    if (at >= text.size()) {
        return text.size();
    }
    std::size_t after = at + 1;
    while (after < text.size() && isContinuationByte(static_cast<unsigned char>(text[after]))) {
        ++after;
    }
    return after;
}

bool TextEditModel::insert(std::string_view typed) {
    std::string accepted;
    for (std::size_t i = 0; i < typed.size();) {
        const unsigned char lead = static_cast<unsigned char>(typed[i]);
        const std::size_t length = std::min(characterLength(lead), typed.size() - i);
        const bool control = lead < 0x20 || lead == 0x7F;
        if (!control && !isContinuationByte(lead)) {
            if (text.size() + accepted.size() + length > maxLength) {
                break;
            }
            accepted.append(typed.substr(i, length));
        }
        i += length;
    }
    if (accepted.empty()) {
        return false;
    }
    text.insert(caretByte, accepted);
    caretByte += accepted.size();
    return true;
}

TextEditModel::KeyResult TextEditModel::onKey(unsigned keySymbol, std::string_view typed) {
    switch (keySymbol) {
        case keys::kReturn:
        case keys::kKeypadEnter: return KeyResult::commit;
        case keys::kEscape: return KeyResult::cancel;
        case keys::kBackSpace: {
            if (caretByte == 0) {
                return KeyResult::ignored;
            }
            const std::size_t from = previousCharacter(caretByte);
            text.erase(from, caretByte - from);
            caretByte = from;
            return KeyResult::edited;
        }
        case keys::kDelete:
        case keys::kKeypadDelete: {
            if (caretByte >= text.size()) {
                return KeyResult::ignored;
            }
            text.erase(caretByte, nextCharacter(caretByte) - caretByte);
            return KeyResult::edited;
        }
        case keys::kLeft:
        case keys::kKeypadLeft: caretByte = previousCharacter(caretByte); return KeyResult::moved;
        case keys::kRight:
        case keys::kKeypadRight: caretByte = nextCharacter(caretByte); return KeyResult::moved;
        case keys::kHome:
        case keys::kKeypadHome: caretByte = 0; return KeyResult::moved;
        case keys::kEnd:
        case keys::kKeypadEnd: caretByte = text.size(); return KeyResult::moved;
        default: return insert(typed) ? KeyResult::edited : KeyResult::ignored;
    }
}

}  // namespace rimba::toolkit
