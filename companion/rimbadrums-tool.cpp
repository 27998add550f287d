// rimbadrums-tool: the instrument's command-line companion. It loads the plug-in as a host does
// and drives the instrument's file formats and exports; `rimbadrums-tool --help` lists its jobs.
// Status: 0 done, 1 a file refused or not written, 2 a command line it cannot follow.

#include <optional>

#include "companion/Commands.h"

int main(int argc, char** argv) {
    CLI::App tool("The RimbaDrums companion: the instrument's loaders and exports on the command line",
                  "rimbadrums-tool");
    tool.require_subcommand(1);
    // Options begin with "--" on Windows too: CLI11 would otherwise read "/name" there as an
    // option, and take an absolute path given under Wine ("/tmp/beat.fxp") for one.
    tool.allow_windows_style_options(false);
    // A value given twice counts once, the last, as the tool has always read it.
    tool.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    rimba::tool::Job job;
    rimba::tool::addInfoCommand(tool, job);
    rimba::tool::addDecodeCommand(tool, job);
    rimba::tool::addMidiCommand(tool, job);
    rimba::tool::addRenderCommand(tool, job);
    rimba::tool::addProgramCommand(tool, job);
    rimba::tool::addKitCommand(tool, job);
    rimba::tool::addEffectCommand(tool, job);
#ifdef RIMBA_TOOL_HAS_EDITOR
    rimba::tool::addEditorCommand(tool, job);
#endif

    if (const std::optional<int> status = rimba::tool::parseCommandLine(tool, argc, argv))
        return *status;
    return job();
}
