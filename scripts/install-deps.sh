#!/usr/bin/env bash
# Installs the Debian packages a job needs when any is missing: `install-deps.sh run` for the
# main job, `install-deps.sh test` for the test suite. Runs apt-get through sudo when not root.
set -euo pipefail

run_packages=(cmake g++ make pkg-config sox libcli11-dev
              libx11-dev libcairo2-dev libpng-dev libfontconfig-dev fonts-dejavu-core
              libjack-jackd2-dev libasound2-dev groff ccache)
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev libbenchmark-dev sox
               g++-mingw-w64-x86-64-posix wine wine64 googletest
               clang-14 libfuzzer-14-dev libclang-rt-14-dev ardour python3-mido
               dpf-plugins-vst lsp-plugins-vst dragonfly-reverb-vst zam-plugins zynaddsubfx-vst
               xvfb xauth xdotool imagemagick x11-apps x11-utils
               jackd2 jack-capture libasound2-plugins alsa-utils poppler-utils)

case "${1:-run}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
