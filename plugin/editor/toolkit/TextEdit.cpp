#include "plugin/editor/toolkit/TextEdit.h"

#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/DialogWindow.h"
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

void CTextEdit::draw(cairo_t* context) {
    const CRect& area = getViewSize();
    cairo_save(context);
    if (getBackground()) {
        getBackground()->draw(context, {area.left, area.top});
    } else {
        cairo_rectangle(context, area.left, area.top, area.width(), area.height());
        cairo_set_source_rgb(context, 1, 1, 1);
        cairo_fill(context);
    }
    if (editing) {
        cairo_rectangle(context, area.left + 0.5, area.top + 0.5, area.width() - 1, area.height() - 1);
        cairo_set_source_rgb(context, 0.2, 0.4, 0.75);
        cairo_set_line_width(context, 1.0);
        cairo_stroke(context);
    }
    cairo_rectangle(context, area.left, area.top, area.width(), area.height());
    cairo_clip(context);
    selectDialogFont(context, fontSize);
    cairo_set_source_rgb(context, 0, 0, 0);
    const CRect row{area.left + 3, area.top, area.right - 3, area.bottom};
    const std::string& shown = editing ? editor.getText() : text;
    drawTextInRow(context, shown, row);
    if (editing) {
        const double caretX = row.left + textWidth(context, std::string_view(shown).substr(0, editor.caret())) + 0.5;
        cairo_move_to(context, caretX, area.top + 3);
        cairo_line_to(context, caretX, area.bottom - 3);
        cairo_stroke(context);
    }
    cairo_restore(context);
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
    case TextEditModel::KeyResult::commit:
        endEditing(true);
        return true;
    case TextEditModel::KeyResult::cancel:
        endEditing(false);
        return true;
    case TextEditModel::KeyResult::edited:
    case TextEditModel::KeyResult::moved:
        invalid();
        return true;
    case TextEditModel::KeyResult::ignored:
        return false;
    }
    return false;
}

void CTextEdit::looseFocus() { endEditing(true); }

}  // namespace rimba::toolkit
