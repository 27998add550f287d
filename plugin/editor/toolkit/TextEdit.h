#pragma once
// CTextEdit: a control that shows a text and lets the user type a new one. A click starts editing
// and asks the frame for the keyboard; the frame then hands it the keys. Enter, or the focus going
// elsewhere, commits the text and reports it to the listener; Escape puts the old text back
// without a report. Editor thread only.

#include <memory>
#include <string>

#include "plugin/editor/toolkit/TextEditModel.h"
#include "plugin/editor/toolkit/View.h"

namespace rimba::toolkit {

class CTextEdit : public CControl {
public:
    CTextEdit(const CRect& size, CControlListener* listener, long tag, std::string text = {},
              std::shared_ptr<CBitmap> background = nullptr);

    bool isTypeOf(std::string_view className) const override {
        return className == "CTextEdit" || CControl::isTypeOf(className);
    }
    const char* getClassName() const override { return "CTextEdit"; }

    void setText(std::string newText);  // a program's change: no report
    const std::string& getText() const { return text; }
    bool isEditing() const { return editing; }
    const TextEditModel& getEditor() const { return editor; }
    void setFontSize(double size) { fontSize = size; }

    void draw(CDrawContext& context) override;
    MouseResult onMouseDown(CPoint where, unsigned buttons) override;
    bool onKeyDown(unsigned keySymbol, std::string_view typed) override;
    void looseFocus() override;

    void beginEditing();
    void endEditing(bool commit);

private:
    std::string text;
    TextEditModel editor;
    bool editing = false;
    double fontSize = 12.0;
};

}  // namespace rimba::toolkit
