#pragma once
// Where a test finds the fixture plug-ins of tests/plugins/ (built before every test program):
// fixturePluginPath("fixture-gain") is the built fixture-gain.so, or fixture-gain.dll on
// Windows. The fixtures and what they do are described in tests/plugins/fixtures/.

#include <string>

#ifndef RIMBA_FIXTURE_PLUGIN_DIR
#error "test programs are compiled with RIMBA_FIXTURE_PLUGIN_DIR (tests/CMakeLists.txt)"
#endif

namespace rimba::test {

inline std::string fixturePluginPath(const std::string& name) {
    return std::string(RIMBA_FIXTURE_PLUGIN_DIR) + "/" + name + RIMBA_LIBRARY_EXTENSION;
}

}  // namespace rimba::test
