// The COM half of the ASIO driver catalog.

#include "StandAlone/devices/win32/AsioDriverCalls.h"

#include "common/platform/win32/Windows.h"

#include <objbase.h>

#include <cstring>

namespace rimba::standalone::asio_calls {

asio::Guid classIdFromText(const std::string& classIdText) {
    wchar_t wide[64] = {};
    asio::Guid classId{};
    if (MultiByteToWideChar(CP_ACP, 0, classIdText.c_str(), -1, wide, 64) == 0)
        return classId;
    CLSID converted;
    if (CLSIDFromString(wide, &converted) == NOERROR)
        std::memcpy(&classId, &converted, sizeof classId);
    return classId;
}

asio::Driver* createDriver(const asio::Guid& classId) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return nullptr;
    CLSID id;
    std::memcpy(&id, &classId, sizeof id);
    void* object = nullptr;
    if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, id, &object)) || object == nullptr) {
        CoUninitialize();
        return nullptr;
    }
    return static_cast<asio::Driver*>(object);
}

void releaseDriver(asio::Driver* driver) {
    if (driver == nullptr)
        return;
    driver->release();
    CoUninitialize();
}

}  // namespace rimba::standalone::asio_calls
