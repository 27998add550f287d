#pragma once
// The drawing backend kept up while something needs it. On Windows GDI+ must be started before
// anything is drawn and may fail to start; a plug-in holds a session for as long as it offers an
// editor, asks it first whether drawing works at all, and offers no editor (saying why) when it
// does not. Every context, offscreen picture and bitmap image holds the backend up too, so a
// session is what keeps the typeface loaded between drawings, not what makes drawing safe.
// On Linux (cairo) drawing is always available and a session holds nothing.

#include <memory>
#include <string>

namespace rimba::toolkit {

class DrawingSession {
public:
    DrawingSession();  // starts the backend, or joins the one already started
    bool available() const { return problem.empty(); }
    // Why drawing is not available, for the user; empty when it is.
    const std::string& whyUnavailable() const { return problem; }

private:
    std::shared_ptr<void> held;
    std::string problem;
};

}  // namespace rimba::toolkit
