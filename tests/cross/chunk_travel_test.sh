#!/usr/bin/env bash
# A chunk taken on Linux loads on Windows and renders the same samples, and the reverse: the
# Linux rimbadrums-tool and the Windows rimbadrums-tool.exe (under Wine) load the same program,
# each saves the state it took, the other loads that state, and every render is compared sample
# by sample. The sounds lie in each system's own default library folder and the program names
# them relative to it, so the paths travel too.
# usage: chunk_travel_test.sh LINUX-TOOL WINDOWS-TOOL.exe
set -euo pipefail
linux_tool=$1
windows_tool=$2
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
work=$(mktemp -d)
windows_library="${WINEPREFIX:-$HOME/.wine}/drive_c/Program Files/VORN Studio/Rimba Drums"
trap 'rm -rf "$work" "$windows_library/Samples/kick.wav" "$windows_library/Samples/snare.wav"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
linux_library="$XDG_DATA_HOME/VORN Studio/Rimba Drums"

$python "$here/make_program.py" "$work/travel.fxp" "$linux_library" "$windows_library"

windows() { wine "$windows_tool" "$@"; }

# Both tools read the user's settings store: each starts from an empty one (on Windows the
# registry of the test run's Wine prefix, which the host tests have written to).
wine reg delete 'HKCU\Software\RimbaDrums_64' /f >/dev/null 2>&1 || true

# Linux takes the chunk and Windows takes it again from what Linux took; each system renders
# the original program and both taken chunks.
"$linux_tool" render --program "$work/travel.fxp" --pattern 0 --take "$work/linux.fxp" --out "$work/travel-linux.wav"
windows render --program "$work/linux.fxp" --pattern 0 --take "$work/windows.fxp" --out "$work/linux-windows.wav"
windows render --program "$work/travel.fxp" --pattern 0 --out "$work/travel-windows.wav"
"$linux_tool" render --program "$work/linux.fxp" --pattern 0 --out "$work/linux-linux.wav"
"$linux_tool" render --program "$work/windows.fxp" --pattern 0 --out "$work/windows-linux.wav"
windows render --program "$work/windows.fxp" --pattern 0 --out "$work/windows-windows.wav"

$python - "$work" <<'PY'
import array, sys, wave
work = sys.argv[1]

def chunk_of(name):
    data = open(work + "/" + name, "rb").read()
    assert data[:4] == b"CcnK" and data[8:12] == b"FPCh", name
    return data[60:]

def samples_of(name):
    with wave.open(work + "/" + name) as w:
        assert w.getnchannels() == 2 and w.getsampwidth() == 2, name
        return array.array("h", w.readframes(w.getnframes()))

# The chunk is the same bytes on both systems, sound paths included.
linux_chunk, windows_chunk = chunk_of("linux.fxp"), chunk_of("windows.fxp")
assert linux_chunk == windows_chunk, "the chunk Windows took differs from the one Linux took"
assert b"\\Samples\\kick.wav\0" in linux_chunk and b"\\Samples\\snare.wav\0" in linux_chunk

# Each program, rendered on Linux and on Windows, gives the same samples.
for program in ("travel", "linux", "windows"):
    on_linux, on_windows = samples_of(program + "-linux.wav"), samples_of(program + "-windows.wav")
    assert sum(1 for s in on_linux if s) > len(on_linux) // 4, program + ": the render is mostly silent"
    assert len(on_windows) == len(on_linux), (program, len(on_windows), len(on_linux))
    differing = [i for i in range(len(on_linux)) if on_linux[i] != on_windows[i]]
    largest = max((abs(on_linux[i] - on_windows[i]) for i in differing), default=0)
    print("%s: %d of %d samples differ between the systems, by %d at most"
          % (program, len(differing), len(on_linux), largest))
    assert not differing, program + ": Windows does not render the samples Linux renders"
print("chunk travel: the same chunk bytes and the same samples on Linux and Windows")
PY
