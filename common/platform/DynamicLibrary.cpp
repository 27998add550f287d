// The portable half of DynamicLibrary: what a caller may ask of it and which failures it reports.
// The loader's own calls are in LibraryCalls.

#include "common/platform/DynamicLibrary.h"

#include <utility>

#include "common/platform/LibraryCalls.h"

namespace rimba::platform {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), error(std::move(other.error)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle = std::exchange(other.handle, nullptr);
        error = std::move(other.error);
    }
    return *this;
}

bool DynamicLibrary::open(const std::string& path) {
    close();
    // An empty name would hand back the program itself (dlopen) or fail with a misleading reason
    // (LoadLibrary); neither is what a caller means.
    if (path.empty()) {
        error = "empty library path";
        return false;
    }
    handle = calls::loadLibrary(path, error);
    if (handle == nullptr)
        return false;
    error.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle != nullptr) {
        calls::unloadLibrary(handle);
        handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const {
    if (handle == nullptr) {
        error = "library not open";
        return nullptr;
    }
    if (name == nullptr) {
        error = "no symbol name";
        return nullptr;
    }
    void* address = nullptr;
    if (!calls::findSymbol(handle, name, address, error))
        return nullptr;
    error.clear();
    return address;
}

}  // namespace rimba::platform
