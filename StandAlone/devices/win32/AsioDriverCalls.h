#pragma once
// The COM calls the ASIO driver catalog makes: a driver's class id and the creation of its
// object. Kept apart so that the catalog's own rules (names, results, one driver at a time) read
// without COM's details; the registry's list of drivers is common/platform/AsioDrivers.h's.

#include "common/asio/AsioAbi.h"

#include <string>

namespace rimba::standalone::asio_calls {

// The class id the text names; all zero when it does not convert.
asio::Guid classIdFromText(const std::string& classIdText);

// The driver's object, created as ASIO hosts do: in-process, with the class id as both the
// class and the interface asked for. Null on failure. Each created driver holds one COM
// initialisation of the calling thread, which releaseDriver gives back.
asio::Driver* createDriver(const asio::Guid& classId);
void releaseDriver(asio::Driver* driver);

}  // namespace rimba::standalone::asio_calls
