#pragma once
// The platform tests' names for the tests' one set of folder and file helpers.

#include "tests/support/TempFolder.h"

namespace rimba::platform::fixtures {

using ::rimba::test::bytesOf;
using ::rimba::test::contentOf;
using ::rimba::test::TempFolder;

}  // namespace rimba::platform::fixtures
