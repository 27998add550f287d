// The hosted plug-ins' editor windows on X11. The X11 headers come first: the toolkit's headers
// then take back the names Xlib's macros would shadow.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "plugin/editor/PluginEditorWindows.h"
#include "plugin/editor/PluginProgramBar.h"
#include "plugin/editor/toolkit/X11ConnectionLoss.h"
#include "plugin/editor/toolkit/X11ErrorTrap.h"

namespace rimba {

namespace {

using toolkit::CRect;
using toolkit::ErrorTrap;

constexpr int kBarHeight = CVornPluginProgramEx::kHeight;

Window parentOf(Display* display, Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return 0;
    if (children != nullptr)
        XFree(children);
    return parent == root ? 0 : parent;
}

bool hasProperty(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format,
                                          &items, &after, &data) == Success &&
                       type != None;
    if (data != nullptr)
        XFree(data);
    return found;
}

// The instrument's top-level window as the user sees it (a window manager's frame included) for
// the placement, and the client window a window manager knows (the one with WM_STATE) for the
// transient hint. Without a window manager both are the root's child.
struct OwnerWindows {
    Window outer = 0;
    Window client = 0;
};

OwnerWindows ownerWindowsOf(Display* display, Window owner) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    OwnerWindows found;
    for (Window window = owner; window != 0; window = parentOf(display, window)) {
        found.outer = window;
        if (found.client == 0 && hasProperty(display, window, wmState))
            found.client = window;
    }
    if (found.client == 0)
        found.client = found.outer;
    return found;
}

CRect screenRectOf(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return {};
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    // The border lies outside the window's own origin.
    x -= attributes.border_width;
    y -= attributes.border_width;
    return {x, y, x + attributes.width + 2 * attributes.border_width, y + attributes.height + 2 * attributes.border_width};
}

// What a window manager added around the window: left, right, top, bottom; zeros without one.
std::array<long, 4> frameExtentsOf(Display* display, Window window) {
    std::array<long, 4> extents{};
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom property = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type, &format, &items, &after,
                           &data) == Success &&
        type == XA_CARDINAL && format == 32 && items == 4)
        std::memcpy(extents.data(), data, sizeof extents);
    if (data != nullptr)
        XFree(data);
    return extents;
}

// The plug-in's editor size: effEditGetRect's rectangle, or nothing while it gives none.
std::pair<int, int> editorSizeOf(CPlugin& plugin) {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top)
        return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

void setTitle(Display* display, Window window, const std::string& title) {
    XStoreName(display, window, title.c_str());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
}

// A window of fixed size, where we put it: the user cannot resize the plug-in's editor; only
// the plug-in itself can (audioMasterSizeWindow).
void setFixedSize(Display* display, Window window, const CRect& place) {
    XSizeHints* size = XAllocSizeHints();
    if (size == nullptr)
        return;
    size->flags = USPosition | USSize | PMinSize | PMaxSize | PWinGravity;
    size->x = place.left;
    size->y = place.top;
    size->width = size->min_width = size->max_width = place.width();
    size->height = size->min_height = size->max_height = place.height();
    size->win_gravity = NorthWestGravity;
    XSetWMNormalHints(display, window, size);
    XFree(size);
}

void setToolWindowHints(Display* display, Window window, Window ownerClient, const CRect& place,
                        const CPlugin& plugin) {
    XSetTransientForHint(display, window, ownerClient);
    const Atom utility = XInternAtom(display, "_NET_WM_WINDOW_TYPE_UTILITY", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&utility), 1);
    setFixedSize(display, window, place);
    // One class name per plug-in, as each window is told apart by its plug-in.
    char name[64];
    std::snprintf(name, sizeof name, "PluginEditorWin%p", static_cast<const void*>(&plugin));
    XClassHint classHint{name, const_cast<char*>("RimbaDrums")};
    XSetClassHint(display, window, &classHint);
}

// The window's own ground, seen beside the bar once a plug-in widens its editor and beside or
// under an editor narrower than the bar: the bar's grey, so the bar seems to run on.
unsigned long barGroundPixel(Display* display, int screen) {
    XColor grey{};
    grey.red = grey.green = grey.blue = static_cast<unsigned short>(CVornPluginProgramEx::kGroundShade * 65535.0 + 0.5);
    grey.flags = DoRed | DoGreen | DoBlue;
    return XAllocColor(display, DefaultColormap(display, screen), &grey) != 0 ? grey.pixel : BlackPixel(display, screen);
}

}  // namespace

CRect pluginEditorPlace(const CRect& owner, int width, int height, const EditorWindowPlace& remembered) {
    if (remembered.known())
        return {remembered.left, remembered.top, remembered.left + width, remembered.top + height};
    const int left = std::max(owner.left + (owner.width() - width) / 2, 0);
    const int top = std::max(owner.top - height, 0);
    return {left, top, left + width, top + height};
}

// --- one window -------------------------------------------------------------------------------

struct CPluginEditor::XWindows {
    Display* display = nullptr;
    Window top = 0;
    Window child = 0;
    Atom deleteWindow = None;
    Atom protocols = None;

    ~XWindows() {
        if (display == nullptr)
            return;
        {
            // A plug-in may have left windows of its own inside ours, or a host destroyed the
            // owner around it: a refused destroy must not end the host.
            ErrorTrap trap(display);
            if (top != 0)
                XDestroyWindow(display, top);
            trap.failed();
        }
        XCloseDisplay(display);
    }
};

std::unique_ptr<CPluginEditor> CPluginEditor::open(CPlugin& plugin, toolkit::XWindowId owner,
                                                   PluginEditorOwner& plugins, EditorDialogs* dialogs) {
    AEffect* effect = plugin.aeffect();
    if (effect == nullptr || (effect->flags & effFlagsHasEditor) == 0 || plugin.editorOpen())
        return nullptr;
    auto x = std::make_unique<XWindows>();
    x->display = XOpenDisplay(nullptr);
    if (x->display == nullptr)
        return nullptr;
    // Nothing here waits on the connection: a lost one only has to keep the process alive.
    toolkit::surviveConnectionLoss(x->display, nullptr);
    Display* display = x->display;
    const int screen = DefaultScreen(display);

    OwnerWindows ownerWindows;
    CRect ownerRect;
    {
        ErrorTrap trap(display);
        ownerWindows = ownerWindowsOf(display, static_cast<Window>(owner));
        ownerRect = screenRectOf(display, ownerWindows.outer);
        if (trap.failed() || ownerWindows.outer == 0)
            return nullptr;
    }

    auto [editorWidth, editorHeight] = editorSizeOf(plugin);
    const int width = std::max(editorWidth, CVornPluginProgramEx::kMinimumWidth);
    const int height = editorHeight + kBarHeight;
    const CRect place = pluginEditorPlace(ownerRect, width, height, plugin.editorWindowPlace());

    XSetWindowAttributes attributes{};
    attributes.background_pixel = barGroundPixel(display, screen);
    attributes.event_mask = StructureNotifyMask;
    x->top = XCreateWindow(display, DefaultRootWindow(display), place.left, place.top, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                           CWBackPixel | CWEventMask, &attributes);
    x->protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    x->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, x->top, &x->deleteWindow, 1);
    setToolWindowHints(display, x->top, ownerWindows.client, place, plugin);
    setTitle(display, x->top, plugin.description().product);
    // The plug-in's editor opens in a window of its own size under the bar. A plug-in that tells
    // its size only once open gets a window of 1 pixel, resized below.
    x->child = XCreateSimpleWindow(display, x->top, 0, kBarHeight, static_cast<unsigned>(std::max(editorWidth, 1)),
                                   static_cast<unsigned>(std::max(editorHeight, 1)), 0, 0,
                                   WhitePixel(display, screen));
    XMapWindow(display, x->child);
    // The plug-in and the bar reach these windows through connections of their own.
    XSync(display, False);

    std::unique_ptr<CPluginEditor> editor(new CPluginEditor(plugin, std::move(x)));
    editor->barFrame = std::make_unique<toolkit::CFrame>(CRect{0, 0, width, kBarHeight}, nullptr);
    editor->programBar = std::make_unique<CVornPluginProgramEx>(*editor->barFrame, *effect, dialogs);
    if (!editor->barFrame->open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(editor->x->top))))
        return nullptr;

    plugin.setEditorOwner(&plugins);
    plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<std::uintptr_t>(editor->x->child)));
    // Some plug-ins tell their size only once their editor is open, or change it as it opens.
    if (const auto [openWidth, openHeight] = editorSizeOf(plugin);
        openWidth > 0 && (openWidth != editorWidth || openHeight != editorHeight))
        editor->followEditorSize(openWidth, openHeight);
    XMapRaised(display, editor->x->top);
    XSync(display, False);
    return editor;
}

CPluginEditor::CPluginEditor(CPlugin& plugin, std::unique_ptr<XWindows> windows)
    : hosted(plugin), x(std::move(windows)) {}

CPluginEditor::~CPluginEditor() { close(); }

bool CPluginEditor::isOpen() const { return x != nullptr; }

void CPluginEditor::followEditorSize(int width, int height) {
    if (!x || width <= 0 || height <= 0)
        return;
    Display* display = x->display;
    ErrorTrap trap(display);
    const CRect client = screenRectOf(display, x->top);
    const int windowWidth = std::max(width, CVornPluginProgramEx::kMinimumWidth);
    // The window keeps its top left corner; the hints first, or a window manager holds it to
    // the old size.
    setFixedSize(display, x->top, {client.left, client.top, client.left + windowWidth, client.top + height + kBarHeight});
    XResizeWindow(display, x->child, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XResizeWindow(display, x->top, static_cast<unsigned>(windowWidth), static_cast<unsigned>(height + kBarHeight));
    XSync(display, False);
    trap.failed();
}

toolkit::XWindowId CPluginEditor::window() const { return x ? x->top : 0; }

toolkit::XWindowId CPluginEditor::pluginParent() const { return x ? x->child : 0; }

void CPluginEditor::rememberPlace() {
    Display* display = x->display;
    ErrorTrap trap(display);
    const CRect client = screenRectOf(display, x->top);
    const std::array<long, 4> frame = frameExtentsOf(display, x->top);
    if (trap.failed() || client.isEmpty())
        return;
    // The outer rectangle: a window manager places a reopened window's frame where asked.
    hosted.rememberEditorWindow({.left = client.left - static_cast<int>(frame[0]),
                                 .top = client.top - static_cast<int>(frame[2]),
                                 .right = client.right + static_cast<int>(frame[1]),
                                 .bottom = client.bottom + static_cast<int>(frame[3])});
}

void CPluginEditor::close() {
    if (!x)
        return;
    // A window that never got as far as opening the plug-in's editor leaves no trace.
    if (hosted.editorOpen()) {
        rememberPlace();
        hosted.dispatch(effEditClose);
        hosted.setEditorOwner(nullptr);
    }
    programBar.reset();
    barFrame.reset();
    x.reset();
}

bool CPluginEditor::idle() {
    if (!x)
        return false;
    Display* display = x->display;
    bool closeAsked = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == x->protocols &&
            static_cast<Atom>(event.xclient.data.l[0]) == x->deleteWindow)
            closeAsked = true;
    }
    if (closeAsked) {
        close();
        return false;
    }
    hosted.dispatch(effEditIdle);
    barFrame->idle();
    programBar->idle();
    return x != nullptr;
}

// --- every window -----------------------------------------------------------------------------

PluginEditorWindows::~PluginEditorWindows() { closeAll(); }

CPluginEditor* PluginEditorWindows::find(const CPlugin& plugin) const {
    for (const std::unique_ptr<CPluginEditor>& editor : windows)
        if (&editor->plugin() == &plugin)
            return editor.get();
    return nullptr;
}

bool PluginEditorWindows::holds(const CPluginEditor* editor) const {
    return std::any_of(windows.begin(), windows.end(),
                       [&](const std::unique_ptr<CPluginEditor>& held) { return held.get() == editor; });
}

std::unique_ptr<CPluginEditor> PluginEditorWindows::takeOut(const CPluginEditor* editor) {
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const std::unique_ptr<CPluginEditor>& held) { return held.get() == editor; });
    if (found == windows.end())
        return nullptr;
    std::unique_ptr<CPluginEditor> taken = std::move(*found);
    windows.erase(found);
    return taken;
}

CPluginEditor* PluginEditorWindows::editorOf(const CPlugin& plugin) const {
    std::lock_guard lock(guard);
    return find(plugin);
}

bool PluginEditorWindows::isOpen(const CPlugin& plugin) const { return editorOf(plugin) != nullptr; }

std::size_t PluginEditorWindows::openCount() const {
    std::lock_guard lock(guard);
    return windows.size();
}

bool PluginEditorWindows::pluginEditorResized(CPlugin& plugin, int width, int height) {
    std::lock_guard lock(guard);
    CPluginEditor* editor = find(plugin);
    if (editor == nullptr)
        return false;
    editor->followEditorSize(width, height);
    return true;
}

bool PluginEditorWindows::toggle(CPlugin& plugin, toolkit::XWindowId owner) {
    std::lock_guard lock(guard);
    if (find(plugin) != nullptr) {
        close(plugin);
        return true;
    }
    std::unique_ptr<CPluginEditor> editor = CPluginEditor::open(plugin, owner, *this, dialogsOverride);
    if (!editor)
        return false;
    windows.push_back(std::move(editor));
    return true;
}

void PluginEditorWindows::close(CPlugin& plugin) {
    std::lock_guard lock(guard);
    // Out of the list first: closing calls into the plug-in, which must not find itself listed.
    if (std::unique_ptr<CPluginEditor> closing = takeOut(find(plugin)))
        closing->close();
}

void PluginEditorWindows::idle() {
    std::unique_lock lock(guard, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    std::vector<CPluginEditor*> open;
    for (const std::unique_ptr<CPluginEditor>& editor : windows)
        open.push_back(editor.get());
    for (CPluginEditor* editor : open) {
        // One closed meanwhile (its plug-in went during another's idle) is gone.
        if (holds(editor) && !editor->idle())
            takeOut(editor);
    }
}

void PluginEditorWindows::closeAll() {
    std::lock_guard lock(guard);
    while (!windows.empty()) {
        std::unique_ptr<CPluginEditor> closing = std::move(windows.back());
        windows.pop_back();
        closing->close();
    }
}

}  // namespace rimba
