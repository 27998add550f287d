#include "plugin/editor/toolkit/TextEdit.h"

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DialogText.h"
#include "plugin/editor/toolkit/Frame.h"

namespace rimba::toolkit {

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, long tag, std::string initial,
                     std::shared_ptr<CBitmap> background)
    : CControl(size, listener, tag, std::move(background)), text(std::move(initial)) {}

void CTextEdit::setText(std::string newText) {
    if (newText != text) {
        text = std::move(newText);
        invalid();
    }
}

void CTextEdit::draw(CDrawContext& context) {
    const CRect& area = getViewSize();
    context.save();
    if (getBackground()) {
        getBackground()->draw(context, {area.left, area.top});
    } else {
        context.rectangle(area.left, area.top, area.width(), area.height());
        context.setColour(1, 1, 1);
        context.fill();
    }
    if (editing) {
        context.rectangle(area.left + 0.5, area.top + 0.5, area.width() - 1, area.height() - 1);
        context.setColour(0.2, 0.4, 0.75);
        context.setLineWidth(1.0);
        context.stroke();
    }
    context.rectangle(area.left, area.top, area.width(), area.height());
    context.clip();
    selectDialogFont(context, fontSize);
    context.setColour(0, 0, 0);
    const CRect row{area.left + 3, area.top, area.right - 3, area.bottom};
    const std::string& shown = editing ? editor.getText() : text;
    drawTextInRow(context, shown, row);
    if (editing) {
        const double caretX = row.left + context.textAdvance(std::string_view(shown).substr(0, editor.caret())) + 0.5;
        context.moveTo(caretX, area.top + 3);
        context.lineTo(caretX, area.bottom - 3);
        context.stroke();
    }
    context.restore();
    setDirty(false);
}

MouseResult CTextEdit::onMouseDown(CPoint, unsigned buttons) {
    if ((buttons & kLButton) == 0) {
        return MouseResult::notHandled;
    }
    if (!editing) {
        beginEditing();
    }
    return MouseResult::handled;
}

void CTextEdit::beginEditing() {
    editor.setText(text);
    editing = true;
    invalid();
    // Inside a host's window the keys go to whichever window has the focus: the frame asks for
    // it as it hands this view the keys.
    if (CFrame* frame = getFrame()) {
        frame->setFocusView(this);
    }
}

void CTextEdit::endEditing(bool commit) {
    if (!editing) {
        return;
    }
    // Cleared first: giving the focus back calls looseFocus, which must not end it twice.
    editing = false;
    if (CFrame* frame = getFrame(); frame != nullptr && frame->getFocusView() == this) {
        frame->setFocusView(nullptr);
    }
    invalid();
    if (commit) {
        text = editor.getText();
        reportValue();
    }
}

bool CTextEdit::onKeyDown(unsigned keySymbol, std::string_view typed) {
    if (!editing) {
        return false;
    }
    switch (editor.onKey(keySymbol, typed)) {
        case TextEditModel::KeyResult::commit: endEditing(true); return true;
        case TextEditModel::KeyResult::cancel: endEditing(false); return true;
        case TextEditModel::KeyResult::edited:
        case TextEditModel::KeyResult::moved: invalid(); return true;
        case TextEditModel::KeyResult::ignored: return false;
    }
    return false;
}

void CTextEdit::looseFocus() { endEditing(true); }

}  // namespace rimba::toolkit
