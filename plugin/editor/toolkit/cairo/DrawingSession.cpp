// cairo needs no start: every context stands alone.

#include "plugin/editor/toolkit/DrawingSession.h"

namespace rimba::toolkit {

DrawingSession::DrawingSession() = default;

}  // namespace rimba::toolkit
