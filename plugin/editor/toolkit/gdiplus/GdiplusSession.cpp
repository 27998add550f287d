#include "plugin/editor/toolkit/gdiplus/GdiplusSession.h"

#include <mutex>
#include <vector>

#include "plugin/editor/toolkit/DrawingSession.h"

namespace rimba::toolkit::gdiplus {

namespace {

std::mutex& runningLock() {
    static std::mutex lock;
    return lock;
}

// Held apart from runningLock: a session may end (its last holder gone) while another thread
// starts the next one, and GDI+ must not see those overlap.
std::mutex& startStopLock() {
    static std::mutex lock;
    return lock;
}

std::weak_ptr<Session>& running() {
    static std::weak_ptr<Session> session;
    return session;
}

constexpr const wchar_t* kTypefaceName = L"DejaVu Sans";

}  // namespace

std::string describeStatus(Gdiplus::Status status) {
    switch (status) {
        case Gdiplus::Ok: return "no problem";
        case Gdiplus::OutOfMemory: return "out of memory";
        case Gdiplus::GdiplusNotInitialized: return "GDI+ is not started";
        case Gdiplus::UnsupportedGdiplusVersion: return "this GDI+ is too old";
        case Gdiplus::FileNotFound: return "a file was not found";
        case Gdiplus::FontFamilyNotFound: return "the font family was not found";
        case Gdiplus::FontStyleNotFound: return "the font style was not found";
        case Gdiplus::NotTrueTypeFont: return "the font is not a TrueType font";
        default: return "GDI+ status " + std::to_string(static_cast<int>(status));
    }
}

std::shared_ptr<Session> Session::acquire(UINT32 version, std::span<const EmbeddedFont> fonts) {
    std::lock_guard lock(runningLock());
    if (std::shared_ptr<Session> session = running().lock())
        return session;
    auto session = std::make_shared<Session>(version, fonts);
    running() = session;
    return session;
}

Session::Session(UINT32 version, std::span<const EmbeddedFont> files) {
    std::lock_guard lock(startStopLock());
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok) {
        problem = "The editor cannot draw: GDI+ did not start (" + describeStatus(status) + ").";
        token = 0;
        return;
    }
    loadTypeface(files);
}

Session::~Session() {
    std::lock_guard lock(startStopLock());
    // GDI+'s objects go before GDI+ does.
    family.reset();
    fonts.reset();
    if (token != 0)
        Gdiplus::GdiplusShutdown(token);
}

void Session::loadTypeface(std::span<const EmbeddedFont> files) {
    auto collection = std::make_unique<Gdiplus::PrivateFontCollection>();
    for (const EmbeddedFont& font : files)
        if (collection->AddMemoryFont(font.bytes, static_cast<INT>(font.size)) != Gdiplus::Ok)
            return;
    const INT count = collection->GetFamilyCount();
    if (count <= 0)
        return;
    std::vector<Gdiplus::FontFamily> families(static_cast<std::size_t>(count));
    INT found = 0;
    if (collection->GetFamilies(count, families.data(), &found) != Gdiplus::Ok)
        return;
    for (INT i = 0; i < found; ++i) {
        WCHAR name[LF_FACESIZE] = {};
        if (families[static_cast<std::size_t>(i)].GetFamilyName(name) != Gdiplus::Ok)
            continue;
        if (std::wstring_view(name) != kTypefaceName)
            continue;
        family.reset(families[static_cast<std::size_t>(i)].Clone());
        if (family && family->GetLastStatus() != Gdiplus::Ok)
            family.reset();
        break;
    }
    fonts = std::move(collection);
}

}  // namespace rimba::toolkit::gdiplus

namespace rimba::toolkit {

DrawingSession::DrawingSession() {
    std::shared_ptr<gdiplus::Session> session = gdiplus::Session::acquire();
    if (!session->started()) {
        problem = session->failure();
        return;
    }
    held = std::move(session);
}

}  // namespace rimba::toolkit
