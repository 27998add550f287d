#pragma once
// The loader's side of the hand-over with the audio thread, as code below the engine sees it: a
// hosted plug-in's holder raises it while it replaces the plug-in, so that the render loop
// outputs silence meanwhile. The engine's LoadHandshake is the one implementation.

namespace rimba {

class AudioHold {
public:
    // Raises the busy counter and waits, at most 5000 ms, for a block in progress to end.
    virtual void beginLoad() = 0;
    // Lowers the counter (never below 0).
    virtual void endLoad() = 0;

protected:
    ~AudioHold() = default;
};

}  // namespace rimba
