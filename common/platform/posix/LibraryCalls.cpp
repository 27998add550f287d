// The POSIX loader calls under DynamicLibrary.

#include "common/platform/LibraryCalls.h"

#include <dlfcn.h>

namespace rimba::platform::calls {

namespace {

std::string takeLoaderError(const char* fallback) {
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : std::string(fallback);
}

}  // namespace

void* loadLibrary(const std::string& path, std::string& error) {
    // Local binding keeps two plug-ins from resolving each other's symbols.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        error = takeLoaderError("cannot open library");
    return library;
}

void unloadLibrary(void* library) { dlclose(library); }

bool findSymbol(void* library, const char* name, void*& address, std::string& error) {
    // Clear any stale message so a null result can be told apart from a symbol whose value is null.
    dlerror();
    address = dlsym(library, name);
    if (const char* failure = dlerror(); failure != nullptr) {
        error = failure;
        address = nullptr;
        return false;
    }
    return true;
}

}  // namespace rimba::platform::calls
