#pragma once
// The editor side of a plug-in as the dispatcher sees it: the host asks for its size,
// opens it inside a window of its own, lets it idle and closes it.
// User-interface thread only.

#include "common/vst/VstAbi.h"

class AEffEditor {
public:
    virtual ~AEffEditor() = default;
    virtual bool getRect(ERect** rect) = 0;
    virtual bool open(void* parentWindow) = 0;
    virtual void close() = 0;
    virtual void idle() {}
    virtual bool isOpen() const = 0;
};
