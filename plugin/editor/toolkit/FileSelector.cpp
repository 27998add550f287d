#include "plugin/editor/toolkit/FileSelector.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>

#include "plugin/editor/toolkit/DesktopFileDialog.h"
#include "plugin/editor/toolkit/ModalDialog.h"

namespace rimba::toolkit {

namespace {

constexpr int kWidth = 520;
constexpr int kRowHeight = 18;
constexpr unsigned long kDoubleClickMs = 400;

// Where everything sits; the list takes whatever height the name field leaves it.
struct SelectorLayout {
    CRect folderLine;
    CRect list;
    CRect filterLine;
    CRect nameLabel;
    CRect nameField;
    CRect okButton;
    CRect cancelButton;
    int height = 0;

    explicit SelectorLayout(bool hasNameField) {
        folderLine = rectOfSize(10, kDialogCaptionHeight + 6, kWidth - 20, 18);
        list = rectOfSize(10, folderLine.bottom + 6, kWidth - 20, 14 * kRowHeight + 4);
        filterLine = rectOfSize(10, list.bottom + 6, kWidth - 20, 18);
        int below = filterLine.bottom + 6;
        if (hasNameField) {
            nameLabel = rectOfSize(10, below, 50, 24);
            nameField = rectOfSize(60, below, kWidth - 70, 24);
            below = nameField.bottom + 10;
        }
        cancelButton = rectOfSize(kWidth - 90, below, 80, 26);
        okButton = rectOfSize(kWidth - 180, below, 80, 26);
        height = okButton.bottom + 10;
    }
};

class SelectorDialog {
public:
    SelectorDialog(const DialogHost& host, FileSelectorModel& selector, const std::string& windowTitle)
        : model(selector),
          layout(selector.getMode() != FileSelectorMode::folder),
          title(windowTitle),
          dialog(host, kWidth, layout.height, windowTitle) {}

    std::optional<std::string> run() {
        dialog.run([this](const XEvent& event) { handle(event); }, [this] { return finished; });
        return answer;
    }

private:
    int visibleRows() const { return (layout.list.height() - 4) / kRowHeight; }

    int rowAt(CPoint where) const {
        if (!layout.list.contains(where)) {
            return -1;
        }
        const int row = firstRow + (where.y - layout.list.top - 2) / kRowHeight;
        return row < static_cast<int>(model.rows().size()) ? row : -1;
    }

    void finish(std::optional<std::string> result) {
        answer = std::move(result);
        finished = true;
    }

    void take(std::optional<std::string> result) {
        if (result) {
            finish(std::move(result));
        } else if (model.folder() != shownFolder) {
            shownFolder = model.folder();
            firstRow = 0;
        }
    }

    void handle(const XEvent& event) {
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) {
                    draw();
                }
                return;
            case ButtonPress: press(event.xbutton); break;
            case KeyPress: key(const_cast<XEvent&>(event)); break;
            default: return;
        }
        if (!finished) {
            draw();
        }
    }

    void press(const XButtonEvent& button) {
        const CPoint where{button.x, button.y};
        if (button.button == Button4 || button.button == Button5) {
            const int last = std::max(0, static_cast<int>(model.rows().size()) - visibleRows());
            firstRow = std::clamp(firstRow + (button.button == Button4 ? -3 : 3), 0, last);
            return;
        }
        if (button.button != Button1) {
            return;
        }
        if (layout.okButton.contains(where)) {
            take(model.accept());
        } else if (layout.cancelButton.contains(where)) {
            finish(std::nullopt);
        } else if (const int row = rowAt(where); row >= 0) {
            const bool doubleClick = row == lastClickedRow && button.time - lastClickTime < kDoubleClickMs;
            lastClickedRow = doubleClick ? -1 : row;
            lastClickTime = button.time;
            if (doubleClick) {
                take(model.activateRow(row));
            } else {
                model.selectRow(row);
            }
        }
    }

    void key(XEvent& event) {
        unsigned long symbol = 0;
        const std::string typed = typedText(event, symbol);
        if (symbol == XK_Escape) {
            finish(std::nullopt);
        } else if (symbol == XK_Return || symbol == XK_KP_Enter) {
            take(model.accept());
        } else if (model.getMode() != FileSelectorMode::folder) {
            model.nameField().onKey(static_cast<unsigned>(symbol), typed);
        }
    }

    void draw() {
        std::unique_ptr<CDrawContext> drawing = dialog.window().beginDrawing();
        CDrawContext& context = *drawing;
        drawDialogFrame(context, kWidth, layout.height, title);
        context.setColour(0.15, 0.15, 0.15);
        drawClipped(context, model.folder(), layout.folderLine);
        drawList(context);
        context.setColour(0.3, 0.3, 0.3);
        const FileFilter& filter = model.getFilter();
        if (model.getMode() != FileSelectorMode::folder && !filter.extension.empty()) {
            drawClipped(context, filter.description + " (*." + filter.extension + ")", layout.filterLine);
        }
        if (model.getMode() != FileSelectorMode::folder) {
            drawNameField(context);
        }
        drawButton(context, layout.okButton, model.getMode() == FileSelectorMode::save ? "Save" : "OK", true);
        drawButton(context, layout.cancelButton, "Cancel", false);
        dialog.window().endDrawing(std::move(drawing));
    }

    static void drawClipped(CDrawContext& context, const std::string& text, const CRect& area) {
        context.save();
        context.rectangle(area.left, area.top, area.width(), area.height());
        context.clip();
        drawTextInRow(context, text, area);
        context.restore();
    }

    void drawList(CDrawContext& context) {
        const CRect& box = layout.list;
        context.rectangle(box.left + 0.5, box.top + 0.5, box.width() - 1, box.height() - 1);
        context.setColour(1, 1, 1);
        context.fillPreserve();
        context.setColour(0.5, 0.5, 0.5);
        context.stroke();
        const auto& rows = model.rows();
        for (int i = 0; i < visibleRows() && firstRow + i < static_cast<int>(rows.size()); ++i) {
            const int index = firstRow + i;
            const FileRow& row = rows[static_cast<std::size_t>(index)];
            const CRect line = rectOfSize(box.left + 2, box.top + 2 + i * kRowHeight, box.width() - 4, kRowHeight);
            if (index == model.selectedRow()) {
                context.setColour(0.20, 0.40, 0.75);
                context.rectangle(line.left, line.top, line.width(), line.height());
                context.fill();
                context.setColour(1, 1, 1);
            } else if (row.isFolder) {
                context.setColour(0.1, 0.2, 0.5);
            } else {
                context.setColour(0, 0, 0);
            }
            drawClipped(context, row.isFolder ? row.name + "/" : row.name,
                        {line.left + 4, line.top, line.right, line.bottom});
        }
    }

    void drawNameField(CDrawContext& context) {
        context.setColour(0, 0, 0);
        drawTextInRow(context, "Name:", layout.nameLabel);
        const CRect& field = layout.nameField;
        context.rectangle(field.left + 0.5, field.top + 0.5, field.width() - 1, field.height() - 1);
        context.setColour(1, 1, 1);
        context.fillPreserve();
        context.setColour(0.2, 0.4, 0.75);
        context.stroke();
        context.setColour(0, 0, 0);
        const TextEditModel& name = model.nameField();
        const CRect inside{field.left + 4, field.top, field.right - 4, field.bottom};
        drawClipped(context, name.getText(), inside);
        const double caretX =
            inside.left + context.textAdvance(std::string_view(name.getText()).substr(0, name.caret())) + 0.5;
        context.moveTo(caretX, field.top + 4);
        context.lineTo(caretX, field.bottom - 4);
        context.stroke();
    }

    FileSelectorModel& model;
    SelectorLayout layout;
    std::string title;
    ModalDialog dialog;
    std::string shownFolder = model.folder();
    int firstRow = 0;
    int lastClickedRow = -1;
    unsigned long lastClickTime = 0;
    bool finished = false;
    std::optional<std::string> answer;
};

std::optional<std::string> runSelector(const DialogHost& host, FileSelectorModel& model, const std::string& title) {
    if (!host.isUsable()) {
        return std::nullopt;
    }
    SelectorDialog dialog(host, model, title);
    return dialog.run();
}

}  // namespace

std::optional<std::string> selectFile(const DialogHost& host, FileSelectorMode mode, const std::string& title,
                                      const FileFilter& filter, const std::string& start) {
    if (desktopDialogWanted()) {
        if (const std::optional<DesktopAnswer> answer = askDesktopForFile(mode, title, filter, start)) {
            if (!answer->path || mode != FileSelectorMode::save) {
                return answer->path;
            }
            return nameWithExtensionInPath(*answer->path, filter.extension);
        }
    }
    FileSelectorModel model(mode, filter, start);
    return runSelector(host, model, title);
}

std::optional<std::string> selectFolder(const DialogHost& host, const std::string& title, const std::string& start) {
    if (desktopDialogWanted()) {
        if (const std::optional<DesktopAnswer> answer = askDesktopForFile(FileSelectorMode::folder, title, {}, start)) {
            return answer->path;
        }
    }
    FileSelectorModel model(FileSelectorMode::folder, {}, start);
    return runSelector(host, model, title);
}

}  // namespace rimba::toolkit
