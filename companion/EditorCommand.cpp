// `editor --layout` and `editor --screenshot`: the editor's window as it opens, built on a frame
// that is never shown (it draws into its own image), for an instrument that plays the factory
// library's default program with settings of its own. The user's settings store is neither read
// nor written.

#include <cstdio>
#include <memory>
#include <string>

#include "common/platform/Paths.h"
#include "companion/Commands.h"
#include "plugin/core/VornDrums.h"
#include "plugin/editor/Editor.h"
#include "plugin/editor/EditorControls.h"
#include "plugin/editor/toolkit/Bitmap.h"
#include "plugin/editor/toolkit/Frame.h"
#include "plugin/files/FactoryLibrary.h"

namespace rimba::tool {
namespace {

struct EditorRequest {
    bool layout = false;
    std::string screenshot;
    int tracks = kDefaultTrackCount;
    std::string library;
};

// The factory library beside the plug-in this build made.
std::string builtFactoryLibrary() {
    const std::string plugin = RIMBA_BUILT_PLUGIN;
    const std::size_t slash = platform::lastPathSeparator(plugin);
    return findFactoryLibrary(slash == std::string::npos ? std::string(".") : plugin.substr(0, slash));
}

void printLayout(const toolkit::CFrame& frame) {
    for (std::size_t i = 0; i < frame.getNbViews(); ++i) {
        const toolkit::CView* view = frame.getView(i);
        const auto* control = dynamic_cast<const toolkit::CControl*>(view);
        const toolkit::CRect& r = view->getViewSize();
        std::printf("%ld %s %d %d %d %d%s\n", control ? control->getTag() : -1L, view->getClassName(), r.left, r.top,
                    r.right, r.bottom, view->isVisible() ? "" : " hidden");
    }
}

int runEditor(const EditorRequest& request) {
    const std::string library = request.library.empty() ? builtFactoryLibrary() : request.library;
    if (library.empty())
        return fail("the factory library", "not found beside the plug-in; name it with --library");
    const std::string program = platform::joinPath(library, platform::withNativeSeparators("Programs/RimbaRand.fxp"));
    const int tracks = request.tracks;
    VornDrums drums(versionOnlyHost, [library, program, tracks](InstrumentSettings& settings, bool) {
        settings.channelNumber = tracks;
        settings.filesPath = library;
        // The files a first run starts with.
        settings.programFile = program;
        settings.drumKitFile = platform::joinPath(library, platform::withNativeSeparators("Drum Kits/RimbaRand.drs"));
        settings.patternSetFile =
            platform::joinPath(library, platform::withNativeSeparators("Patterns/Rimbastyle.ptn"));
        return false;
    });
    if (const Result<> loaded = drums.loadProgramFile(program); !loaded)
        return fail("the factory program " + program + " is refused", loaded.reason());

    toolkit::CFrame frame(Editor::sizeFor(drums.getTrackCount()),
                          toolkit::CBitmap::load(Editor::backgroundFor(drums.getTrackCount())));
    EditorControls controls(frame, drums, nullptr);
    if (request.layout)
        printLayout(frame);
    if (!request.screenshot.empty()) {
        frame.drawAll();
        if (!frame.getPicture().writePng(request.screenshot))
            return fail(request.screenshot, "cannot write the file");
    }
    return 0;
}

}  // namespace

VstIntPtr versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void addEditorCommand(CLI::App& tool, Job& job) {
    auto request = std::make_shared<EditorRequest>();
    CLI::App* command = tool.add_subcommand(
        "editor", "The editor's window as it opens with the factory program: its controls' places or its picture");
    CLI::Option* layout = command->add_flag(
        "--layout", request->layout,
        "Print one line per view: tag (-1 for none), class, left, top, right, bottom, and \"hidden\" for views not "
        "shown at open");
    CLI::Option* screenshot =
        command->add_option("--screenshot", request->screenshot, "Write the window as a PNG image")
            ->check(nonEmpty())
            ->type_name("FILE.png");
    command->add_option("--tracks", request->tracks, "The instrument's track count: 8 or 12")
        ->transform(trackCount())
        ->capture_default_str();
    command
        ->add_option("--library", request->library,
                     "The factory library to take the program from, when not the one beside the built plug-in")
        ->check(nonEmpty())
        ->type_name("FOLDER");
    // One of the two is the job; both together are fine.
    command->callback([request, layout, screenshot, &job] {
        if (layout->count() == 0 && screenshot->count() == 0)
            throw CLI::RequiredError("--layout or --screenshot");
        job = [request] { return runEditor(*request); };
    });
}

}  // namespace rimba::tool
