// The POSIX loader's record of the module under ModuleFolder.cpp.

#include "common/platform/ModuleCalls.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <array>

namespace rimba::platform::calls {

namespace {

// The program file itself: the loader records no name for it.
std::string executablePath() {
    std::array<char, 4096> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : std::string();
}

// A host may load the plug-in by a relative name; it is relative to the folder the process was
// in, which is the best guess left.
std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::array<char, 4096> folder{};
    if (getcwd(folder.data(), folder.size()) == nullptr)
        return {};
    return std::string(folder.data()) + "/" + path;
}

}  // namespace

std::string modulePath() {
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<const void*>(&modulePath), &info, reinterpret_cast<void**>(&module),
                RTLD_DL_LINKMAP) == 0)
        return {};
    const bool namedLibrary = module != nullptr && module->l_name != nullptr && module->l_name[0] != 0;
    return absolutePath(namedLibrary ? std::string(module->l_name) : executablePath());
}

}  // namespace rimba::platform::calls
