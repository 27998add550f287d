#pragma once
// The window system the toolkit is built for, and the names its two halves share. X11 on Linux,
// the Windows API on Windows: the portable headers name windows by WindowId alone, and only the
// X11 build declares Xlib's display and event types (declared here the way Xlib declares them,
// so that users of the toolkit do not take in Xlib's macros unless they ask for them).

#include <cstdint>

#if defined(_WIN32)
#define RIMBA_TOOLKIT_WIN32 1
#else
#define RIMBA_TOOLKIT_X11 1
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;
#endif

namespace rimba::toolkit {

// A window of the system as a number: an X11 Window id (an unsigned long on the client side, the
// same type as this on Linux) or a Windows HWND. 0 is no window.
using WindowId = std::uintptr_t;
// The older name, kept for the code written against X11.
using XWindowId = WindowId;

}  // namespace rimba::toolkit
