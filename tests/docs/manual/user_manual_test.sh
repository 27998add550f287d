#!/usr/bin/env bash
# The user manuals the factory library carries: both PDFs are whole documents that a viewer
# opens (pdfinfo), A4 and short, their text reads back with its headings in its own language and
# French accents intact (pdftotext), and an installation under a prefix (cmake --install) puts
# the same files into the installed library. ./run copies the built library folder whole, and a
# first start copies the installed one into the user's library folder (the host tests check that
# copy file by file).
set -euo pipefail
library=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "$*"; exit 1; }

# check_manual FILE TITLE TEXT...: the PDF opens, has 2 to 4 A4 pages and the given title, and
# its text holds every given piece (headings, accented words, command lines to copy as printed).
check_manual() {
    local pdf=$1 title=$2
    shift 2
    [ -s "$pdf" ] || fail "missing: $pdf"
    local info
    info=$(pdfinfo "$pdf") || fail "pdfinfo cannot read $pdf"
    local pages
    pages=$(sed -n 's/^Pages: *//p' <<<"$info")
    [ "$pages" -ge 2 ] && [ "$pages" -le 4 ] || fail "$pdf: $pages pages, not 2 to 4"
    grep -q '^Page size: .*(A4)' <<<"$info" || fail "$pdf: not A4"
    [ "$(sed -n 's/^Title: *//p' <<<"$info")" = "$title" ] || fail "$pdf: title is not \"$title\""
    local text="$work/$(basename "$pdf").txt"
    pdftotext -enc UTF-8 "$pdf" "$text"
    local piece
    for piece in "$@"; do
        grep -qF -- "$piece" "$text" || fail "$pdf: no \"$piece\" in its text"
    done
    # UTF-8 read as Latin-1, a character groff could not map, or a plain ASCII tilde turned into
    # an accent would show as these.
    if grep -nE 'Ã|Â|\[u[0-9A-F]{4}\]|˜' "$text"; then
        fail "$pdf: garbled characters in its text"
    fi
}

check_manual "$library/UserManualEnglish.pdf" "RimbaDrums User Manual" \
    "What RimbaDrums is" "The window" "Building a pattern" "Picking a kit" "Saving programs" \
    "Exporting audio and MIDI" "MIDI keys" "RimbaDrums on its own" "Audio/MIDI Settings" \
    "~/.local/share/VORN Studio/Rimba Drums" "RimbaDrums --audio JACK --midi NAME"
check_manual "$library/UserManualFrench.pdf" "RimbaDrums - Manuel de l'utilisateur" \
    "Présentation de RimbaDrums" "La fenêtre" "Créer un pattern" "Choisir un kit" \
    "Enregistrer les programmes" "Exporter en audio et en MIDI" "Touches MIDI" \
    "RimbaDrums en programme autonome" "vélocité" "séquenceur" "À son premier démarrage" \
    "« Audio/MIDI Settings »" "RimbaDrums --list-devices"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for manual in UserManualEnglish.pdf UserManualFrench.pdf; do
    cmp "$library/$manual" "$work/prefix/share/RimbaDrums/library/$manual" ||
        fail "the installed library does not hold the built $manual"
done
echo "user manuals: both readable, in their languages, and installed with the library"
