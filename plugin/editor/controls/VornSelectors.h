#pragma once
// The note selector panel (a track's key, the pattern trigger key) and the tune scale.

#include "plugin/editor/controls/VornControlEx.h"

namespace rimba::controls {

// What a click on the note panel lands on: a note 0..127, or one of these.
inline constexpr int kPanelNoNote = -1;  // the "OFF" cell: no key
inline constexpr int kPanelPin = -2;  // the pin: keep the panel open after a pick
inline constexpr int kPanelNothing = -3;
// The panel: 12 semitone columns by 11 octave rows of cells, then a row with "OFF" and the pin.
int notePanelHit(const toolkit::CRect& panel, toolkit::CPoint where);
toolkit::CRect notePanelCell(const toolkit::CRect& panel, int note);

// A click picks a note (the value, 0..127) or "OFF" (-1) and reports it, even when it is the
// note already shown; the panel then hides unless it is pinned.
class CVornNoteSelect : public CVornControlEx {
public:
    CVornNoteSelect(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornNoteSelect" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornNoteSelect"; }

    // Shows the panel at `where` with `note` chosen.
    void showAt(const toolkit::CRect& where, int note);
    void setPinned(bool on);
    bool isPinned() const { return pinned; }

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;

private:
    FilmStrip cell;
    FilmStrip back;
    bool pinned = false;
};

// Twelve semitone cells; a click takes the semitone in or out of the scale. The value is the
// scale as twelve bits, bit n for semitone n (C = bit 0).
class CVornTuneScaleSelect : public CVornControlEx {
public:
    CVornTuneScaleSelect(const toolkit::CRect& size, toolkit::CControlListener* listener, long tag);
    bool isTypeOf(std::string_view className) const override {
        return className == "CVornTuneScaleSelect" || CVornControlEx::isTypeOf(className);
    }
    const char* getClassName() const override { return "CVornTuneScaleSelect"; }

    bool hasNote(int semitone) const;
    int semitoneAt(toolkit::CPoint where) const;

protected:
    void drawControl(toolkit::CDrawContext& context) override;
    toolkit::MouseResult mouseDown(toolkit::CPoint where, unsigned buttons) override;

private:
    toolkit::CRect cellRect(int semitone) const;

    FilmStrip cell;
    FilmStrip back;
};

// The scale after a click on `semitone`: that bit flipped.
int scaleAfterClick(int scaleBits, int semitone);

}  // namespace rimba::controls
