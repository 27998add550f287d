#pragma once
// The system calls the ASIO driver catalog makes: the registry's list of installed drivers and
// the creation of a driver's COM object. Kept apart so that the catalog's own rules (names,
// results, one driver at a time) read without the registry's and COM's details.

#include "common/asio/AsioAbi.h"

#include <string>
#include <vector>

namespace rimba::standalone::asio_calls {

// One subkey of HKLM\SOFTWARE\ASIO as the registry holds it.
struct RegisteredDriver {
    std::string keyName;
    std::string classIdText;  // the "CLSID" value, "{...}"; empty when missing
    std::string description;  // the "Description" value; empty when missing
};

// The subkeys in the registry's enumeration order.
std::vector<RegisteredDriver> registeredDrivers();

// The class's in-process server file (HKCR\CLSID\{...}\InprocServer32's default value); empty
// when the class is not registered.
std::string inProcessServerOf(const std::string& classIdText);

// The class id the text names; all zero when it does not convert.
asio::Guid classIdFromText(const std::string& classIdText);

// The driver's object, created as ASIO hosts do: in-process, with the class id as both the
// class and the interface asked for. Null on failure. Each created driver holds one COM
// initialisation of the calling thread, which releaseDriver gives back.
asio::Driver* createDriver(const asio::Guid& classId);
void releaseDriver(asio::Driver* driver);

}  // namespace rimba::standalone::asio_calls
