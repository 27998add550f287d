#!/usr/bin/python3
# What an independent reader (mido) finds in a Standard MIDI File, one line per event:
#   file TYPE DIVISION TRACKS
#   note TICK CHANNEL NOTE VELOCITY      (absolute ticks, note-on events)
#   end TICK                             (end of track)
#   other TICK TYPE
# mido refuses a file whose chunks, lengths or data bytes are malformed; the exit status is then
# not 0.
import sys

import mido

midi = mido.MidiFile(sys.argv[1])
print("file", midi.type, midi.ticks_per_beat, len(midi.tracks))
for track in midi.tracks:
    tick = 0
    for message in track:
        tick += message.time
        if message.type == "note_on":
            print("note", tick, message.channel, message.note, message.velocity)
        elif message.type == "end_of_track":
            print("end", tick)
        else:
            print("other", tick, message.type)
