#!/usr/bin/env bash
# The Windows build: cross-builds the plug-in DLL, rimbadrums-tool.exe and the tests with
# MinGW-w64 into build-windows/, in the Release type its binaries ship in, runs the tests through
# Wine with CTest, checks the DLL's exports and imports, and says which tests were left out. Runs
# after the Linux build (./test), whose rimbadrums-tool the cross-system test compares with the
# Windows one.
# Wine runs in a prefix of its own under the build folder, with one wineserver kept up for the
# whole run (otherwise every test waits seconds for it) and no graphics driver.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
build=build-windows

export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build"
stop_wine() { wineserver -k >/dev/null 2>&1 || true; }
trap stop_wine EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    # Windows without a display: message boxes and timers need no X server.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -k; wineserver -w
fi
wineserver -p 2>/dev/null || true  # already up when a run before this one has not quite ended
wineboot >/dev/null 2>&1

linux_tool=""
[ -x build/companion/rimbadrums-tool ] && linux_tool="$PWD/build/companion/rimbadrums-tool"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DRIMBA_LINUX_TOOL="$linux_tool" >/dev/null
cmake --build "$build" -j"$jobs"

dll="$build/plugin/RimbaDrums_64.dll"
exports=$(x86_64-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^\s*\[ *[0-9]*\] //p' | LC_ALL=C sort | tr '\n' ' ')
imports=$(x86_64-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "RimbaDrums_64.dll exports: $exports"
echo "RimbaDrums_64.dll imports: $imports"
if [ "$exports" != "VSTPluginMain main " ]; then
    echo "the DLL must export VSTPluginMain and main only"; exit 1
fi
if echo "$imports" | grep -qiE 'libstdc|libgcc|libwinpthread|libssp'; then
    echo "the DLL imports a MinGW runtime DLL"; exit 1
fi
program_imports=$(x86_64-w64-mingw32-objdump -p "$build/StandAlone/RimbaDrums.exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "RimbaDrums.exe imports: $program_imports"
if echo "$program_imports" | grep -qiE 'libstdc|libgcc|libwinpthread|libssp'; then
    echo "RimbaDrums.exe imports a MinGW runtime DLL"; exit 1
fi

status=0
export RIMBA_WINE_RETRY_LOG="$PWD/$build/wine-retries.txt"
rm -f "$RIMBA_WINE_RETRY_LOG"
ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$jobs" -LE linux-only || status=$?

left_out=$(grep -c . "$build/linux-only-tests.txt" || true)
echo "Windows run: left out the linux-only tests (they need sox, python3-mido or Ardour," \
     "or they are shell tests of the Linux tools);" \
     "$left_out test programs and scripts: $(paste -sd' ' "$build/linux-only-tests.txt")"
if [ -s "$RIMBA_WINE_RETRY_LOG" ]; then
    echo "Windows run: Wine failed to start these programs once and ran them at the second start:"
    cat "$RIMBA_WINE_RETRY_LOG"
fi
[ -n "$linux_tool" ] || echo "Windows run: no Linux build, so the cross-system chunk test was left out"
exit "$status"
