#pragma once
// The tool's sub-commands. Each adds itself, its options and their checks to the tool; when it
// is the one named on the command line, it leaves its work in `job` (companion/CommandLine.h).

#include <string>

#include "common/vst/VstAbi.h"
#include "companion/CommandLine.h"

namespace rimba::tool {

// `info [PATH.so] [--standalone] [--params]`: loads the plug-in as a host does and prints what
// the host sees.
void addInfoCommand(CLI::App& tool, Job& job);

// `decode FILE [--raw OUT]`: what the instrument's sound loader makes of a file.
void addDecodeCommand(CLI::App& tool, Job& job);

// `midi --patterns FILE.ptn ... --out OUT.mid`: a pattern set exported as a Standard MIDI File
// by the instrument's own pattern loader and MIDI export.
void addMidiCommand(CLI::App& tool, Job& job);

// `render --program FILE.fxp ... --out OUT.wav`: a program file rendered offline to a WAV file
// by the instrument itself.
void addRenderCommand(CLI::App& tool, Job& job);

// `program FILE.fxp`: what a program file holds, as the instrument reads it.
void addProgramCommand(CLI::App& tool, Job& job);

// `kit FILE.drs`: what a kit file holds, as the instrument reads it.
void addKitCommand(CLI::App& tool, Job& job);

// `effect PLUGIN [--save-bank F.fxb] ...`: loads a VST 2.4 library as an effect slot does and
// prints what the slot shows and a host needs to know, or why a slot refuses it.
void addEffectCommand(CLI::App& tool, Job& job);

#ifdef RIMBA_TOOL_HAS_EDITOR
// `editor --layout | --screenshot F.png [--tracks 8|12]`: the editor's window as it opens with
// the factory program, as a list of its views' places or as a picture.
void addEditorCommand(CLI::App& tool, Job& job);

// The host an instrument of the tool's own is made with: it tells its VST version, nothing more.
VstIntPtr versionOnlyHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);
#endif

#ifdef RIMBA_TOOL_PICTURES_EFFECT_EDITORS
// `effect PLUGIN --editor-screenshot F.png`: the plug-in in send 1, its editor window opened as
// the slot label opens it and idled for `idleMilliseconds`, written as a picture.
int writeEffectEditorPicture(const std::string& library, const std::string& path, int idleMilliseconds);
#endif

}  // namespace rimba::tool
