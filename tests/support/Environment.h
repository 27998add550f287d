#pragma once
// Environment variables set for the length of a test and restored afterwards.

#include <cstdlib>
#include <optional>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace rimba::test {

inline std::optional<std::string> environmentVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// nullopt removes the variable.
inline void setEnvironmentVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes a variable on Windows.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
#endif
}

// Whether a folder without write permission stops this process from writing into it: not for
// the superuser on Linux, and never on Windows, whose permission bits are not access rules.
inline bool folderPermissionsStopWrites() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string variable, const std::optional<std::string>& value)
        : name(std::move(variable)), saved(environmentVariable(name)) {
        setEnvironmentVariable(name, value);
    }
    ~ScopedEnvironmentVariable() { setEnvironmentVariable(name, saved); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name;
    std::optional<std::string> saved;
};

}  // namespace rimba::test
