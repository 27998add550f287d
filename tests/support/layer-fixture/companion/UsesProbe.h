#pragma once
// A companion source that reaches for the tests' state probe: the layer check must refuse it.
#include "tests/support/InstrumentProbe.h"
