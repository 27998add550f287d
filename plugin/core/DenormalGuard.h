#pragma once
// Flushes denormal floats to zero for the life of a render call and restores the caller's flags
// afterwards: hosts dislike plug-ins that change their thread's floating-point state. The
// engine's explicit denormal guards stay as they are, since they shape the sound.

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace rimba {

class DenormalGuard {
public:
#if defined(__SSE__) || defined(_M_X64)
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
#else
    DenormalGuard() = default;
#endif

public:
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;
};

}  // namespace rimba
