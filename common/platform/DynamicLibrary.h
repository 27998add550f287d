#pragma once
// A loaded shared library (dlopen on POSIX, LoadLibrary on Windows).
// A library that fails to open, or a missing symbol, fails quietly: the caller sees
// isOpen() false or a null symbol. Main thread only.

#include <string>

namespace rimba::platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    explicit DynamicLibrary(const std::string& path) { open(path); }
    ~DynamicLibrary() { close(); }

    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return handle != nullptr; }
    void* symbol(const char* name) const;
    // Why the last open or symbol lookup failed, for command-line tools; empty when it did not.
    const std::string& lastError() const { return error; }

private:
    void* handle = nullptr;
    // A failed lookup records its reason too, and symbol() is const for its callers.
    mutable std::string error;
};

}  // namespace rimba::platform
