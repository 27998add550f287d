#pragma once
// GDI+ started once per process for everything of ours that draws, and its typeface loaded from
// the bytes the library carries. Shared: every context, offscreen picture being drawn, bitmap
// image and DrawingSession holds the running session, and GDI+ shuts down when the last of them
// goes. A second copy of the plug-in (another DLL) starts GDI+ again with a token of its own,
// which GDI+ counts. Never started or stopped from DllMain: only when something draws.

#include "common/platform/win32/Windows.h"

#include <objidl.h>

#include <gdiplus.h>

#include <memory>
#include <span>
#include <string>

#include "plugin/editor/toolkit/DrawContext.h"
#include "plugin/editor/toolkit/gdiplus/EmbeddedFonts.h"

namespace rimba::toolkit::gdiplus {

class Session {
public:
    // The running session, started if none runs, asking GDI+ for the interface `version` (1, the
    // first, which every GDI+ has) and loading the typeface from `fonts` (the embedded ones; others
    // only where a failed start or a typeface that does not load is wanted).
    static std::shared_ptr<Session> acquire(UINT32 version = 1, std::span<const EmbeddedFont> fonts = kEmbeddedFonts);

    Session(UINT32 version, std::span<const EmbeddedFont> files);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool started() const { return problem.empty(); }
    const std::string& failure() const { return problem; }
    // The editor's typeface, or nullptr when its fonts could not be loaded (text then draws
    // nothing). Bold is a style of the same family.
    const Gdiplus::FontFamily* typeface() const { return family.get(); }

private:
    void loadTypeface(std::span<const EmbeddedFont> files);

    ULONG_PTR token = 0;
    std::string problem;
    std::unique_ptr<Gdiplus::PrivateFontCollection> fonts;
    std::unique_ptr<Gdiplus::FontFamily> family;
};

// Why GDI+ refused, in words for the user.
std::string describeStatus(Gdiplus::Status status);

}  // namespace rimba::toolkit::gdiplus
