#include "common/platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace rimba::platform {

namespace {

std::string takeLoaderError(const char* fallback) {
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : std::string(fallback);
}

}  // namespace

bool DynamicLibrary::open(const std::string& path) {
    close();
    // An empty name would hand back the program itself, which is never what a caller means.
    if (path.empty()) {
        error = "empty library path";
        return false;
    }
    // Local binding keeps two plug-ins from resolving each other's symbols.
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        error = takeLoaderError("cannot open library");
        return false;
    }
    error.clear();
    return true;
}

void DynamicLibrary::close() {
    if (handle != nullptr) {
        dlclose(handle);
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
    // Clear any stale message so a null result can be told apart from a symbol whose value is null.
    dlerror();
    void* address = dlsym(handle, name);
    const char* failure = dlerror();
    if (failure != nullptr) {
        error = failure;
        return nullptr;
    }
    error.clear();
    return address;
}

}  // namespace rimba::platform
