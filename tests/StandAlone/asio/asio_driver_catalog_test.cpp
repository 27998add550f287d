// The ASIO driver catalog against the registry of the Wine prefix: the tests register drivers as
// installers do (HKLM\SOFTWARE\ASIO\<name>, and the COM class of the server), the catalog lists
// them and loads our fixture driver through COM as a host loads a real one.

#include "StandAlone/devices/win32/AsioDriverCatalog.h"
#include "tests/StandAlone/asio/FixtureAsioDriver.h"

#include "common/platform/win32/Windows.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace rimba::standalone {
namespace {

using namespace rimba::test;

// A class whose server file is the fixture's, which does not serve it: listed, but never loads.
constexpr const char* kUnservedClassIdText = "{0B1C2D3E-4F50-4617-8293-A4B5C6D7E8F9}";
constexpr const char* kServerlessClassIdText = "{0B1C2D3E-4F50-4617-8293-A4B5C6D7E8FA}";

// The fixture's file as Windows names it: Wine shows the Unix root as drive Z.
std::string fixtureServerPath() {
    std::string path = RIMBA_FIXTURE_ASIO_DRIVER;
    if (!path.empty() && path.front() == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Registration {
    const char* keyName;
    const char* classIdText;
    const char* description;  // null: no Description value
};

const Registration kRegistrations[] = {
    {"Rimba Fixture", kFixtureAsioClassIdText, "Rimba Fixture ASIO Driver"},
    {"Rimba Long", kFixtureAsioClassIdText, "Rimba fixture driver with a description too long to list"},
    {"Rimba Key Named", kFixtureAsioClassIdText, nullptr},
    {"Rimba Unserved", kUnservedClassIdText, "Rimba Unserved"},
    // Not installed drivers: no class of that id, or no file where the class's server should be.
    {"Rimba Garbled", "not a class id", "Rimba Garbled"},
    {"Rimba Serverless", kServerlessClassIdText, "Rimba Serverless"},
};

void setString(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    EXPECT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// The drivers above and the fixture's COM class, registered for one test and removed after it.
class AsioDriverCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        removeRegistrations();
        for (const Registration& driver : kRegistrations) {
            const std::string key = std::string("SOFTWARE\\ASIO\\") + driver.keyName;
            setString(HKEY_LOCAL_MACHINE, key, "CLSID", driver.classIdText);
            if (driver.description != nullptr)
                setString(HKEY_LOCAL_MACHINE, key, "Description", driver.description);
        }
        const std::string server = std::string("CLSID\\") + kFixtureAsioClassIdText + "\\InprocServer32";
        setString(HKEY_CLASSES_ROOT, server, nullptr, fixtureServerPath());
        setString(HKEY_CLASSES_ROOT, server, "ThreadingModel", "Apartment");
        setString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kUnservedClassIdText + "\\InprocServer32", nullptr,
                  fixtureServerPath());
        setString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kServerlessClassIdText + "\\InprocServer32", nullptr,
                  fixtureServerPath() + ".gone");
    }
    void TearDown() override { removeRegistrations(); }

    static void removeRegistrations() {
        for (const Registration& driver : kRegistrations)
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\ASIO\\") + driver.keyName).c_str());
        for (const char* classId : {kFixtureAsioClassIdText, kUnservedClassIdText, kServerlessClassIdText})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + classId).c_str());
    }

    static int indexOf(const AsioDriverCatalog& catalog, const std::string& name) {
        for (int i = 0; i < catalog.count(); ++i)
            if (catalog.entry(i)->name == name)
                return i;
        return -1;
    }
};

TEST_F(AsioDriverCatalogTest, ListsEachInstalledDriverWithItsNameClassAndServer) {
    const std::string longListed = "Rimba fixture driver with a ...";
    struct Row {
        const char* name;
        std::string listed;
        asio::Guid classId;
        std::string serverPath;
    } rows[] = {
        {"Rimba Fixture ASIO Driver", "Rimba Fixture ASIO Driver", kFixtureAsioClassId, fixtureServerPath()},
        {"Rimba fixture driver with a description too long to list", longListed, kFixtureAsioClassId,
         fixtureServerPath()},
        {"Rimba Key Named", "Rimba Key Named", kFixtureAsioClassId, fixtureServerPath()},
        {"Rimba Unserved",
         "Rimba Unserved",
         {0x0B1C2D3E, 0x4F50, 0x4617, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}},
         fixtureServerPath()},
    };
    const AsioDriverCatalog catalog;
    ASSERT_GE(catalog.count(), 4);
    EXPECT_EQ(indexOf(catalog, "Rimba Garbled"), -1);
    EXPECT_EQ(indexOf(catalog, "Rimba Serverless"), -1);
    std::vector<char[kListedNameSize]> listed(static_cast<std::size_t>(catalog.count()));
    ASSERT_EQ(catalog.listNames(listed.data(), catalog.count()), catalog.count());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int index = indexOf(catalog, row.name);
        ASSERT_GE(index, 0);
        EXPECT_EQ(catalog.entry(index)->index, index);
        EXPECT_EQ(std::string(listed[static_cast<std::size_t>(index)]), row.listed);
        asio::Guid classId{};
        ASSERT_EQ(catalog.classId(index, &classId), catalog_result::kOk);
        EXPECT_EQ(std::memcmp(&classId, &row.classId, sizeof classId), 0);
        char path[512];
        ASSERT_EQ(catalog.driverPath(index, path, sizeof path), catalog_result::kOk);
        EXPECT_STRCASEEQ(path, row.serverPath.c_str());
    }
    EXPECT_EQ(longListed.size(), kListedNameSize - 1);
    EXPECT_EQ(catalog.loadedIndex(), -1);
}

TEST_F(AsioDriverCatalogTest, LoadsTheFixtureDriverThroughComAndAnswersThroughItsInterface) {
    AsioDriverCatalog catalog;
    ASSERT_EQ(catalog.loadByName("Rimba Fixture ASIO Driver"), catalog_result::kOk);
    ASSERT_EQ(catalog.loadedIndex(), indexOf(catalog, "Rimba Fixture ASIO Driver"));
    asio::Driver* driver = catalog.loadedDriver();
    ASSERT_NE(driver, nullptr);

    EXPECT_NE(driver->init(nullptr), 0);
    char name[32] = {};
    driver->getDriverName(name);
    EXPECT_STREQ(name, kFixtureAsioDriverName);
    EXPECT_EQ(driver->getDriverVersion(), kFixtureAsioDriverVersion);
    asio::Int32 inputs = -1, outputs = -1;
    ASSERT_EQ(driver->getChannels(&inputs, &outputs), asio::kOk);
    EXPECT_EQ(inputs, 0);
    EXPECT_EQ(outputs, kFixtureAsioOutputs);
    asio::Int32 minimum = 0, maximum = 0, preferred = 0, granularity = -1;
    ASSERT_EQ(driver->getBufferSize(&minimum, &maximum, &preferred, &granularity), asio::kOk);
    EXPECT_EQ(preferred, kFixtureAsioBlockSize);
    EXPECT_EQ(driver->canSampleRate(48000.0), asio::kOk);
    EXPECT_NE(driver->canSampleRate(96000.0), asio::kOk);
    asio::ChannelInfo info{};
    info.channel = 1;
    ASSERT_EQ(driver->getChannelInfo(&info), asio::kOk);
    EXPECT_EQ(info.type, asio::sample_type::kInt16LSB);
    EXPECT_STREQ(info.name, "Out 2");

    char loadedName[kListedNameSize];
    ASSERT_EQ(catalog.loadedName(loadedName, sizeof loadedName), catalog_result::kOk);
    EXPECT_STREQ(loadedName, "Rimba Fixture ASIO Driver");

    catalog.unload();
    EXPECT_EQ(catalog.loadedIndex(), -1);
    EXPECT_EQ(catalog.loadedDriver(), nullptr);
    EXPECT_EQ(catalog.loadedName(loadedName, sizeof loadedName), asio::kNotPresent);
}

TEST_F(AsioDriverCatalogTest, RefusesASecondDriverABadIndexAMissingOutputAndANameThatDoesNotFit) {
    AsioDriverCatalog catalog;
    const int fixture = indexOf(catalog, "Rimba Fixture ASIO Driver");
    const int keyNamed = indexOf(catalog, "Rimba Key Named");
    ASSERT_EQ(catalog.loadByIndex(fixture), catalog_result::kOk);
    char path[512];
    char shortBuffer[8];
    asio::Guid classId{};
    struct Case {
        const char* what;
        int result;
        int expected;
    } cases[] = {
        {"second load", catalog.loadByIndex(keyNamed), catalog_result::kAlreadyLoaded},
        {"load below the list", catalog.loadByIndex(-1), catalog_result::kNoSuchDriver},
        {"load past the list", catalog.loadByIndex(catalog.count()), catalog_result::kNoSuchDriver},
        {"path past the list", catalog.driverPath(catalog.count(), path, sizeof path), catalog_result::kNoSuchDriver},
        {"class past the list", catalog.classId(-1, &classId), catalog_result::kNoSuchDriver},
        {"load of an unlisted name", catalog.loadByName("Rimba Nowhere"), catalog_result::kNoSuchDriver},
        {"path without output", catalog.driverPath(fixture, nullptr, sizeof path), catalog_result::kBadArgument},
        {"class without output", catalog.classId(fixture, nullptr), catalog_result::kBadArgument},
        {"load without a name", catalog.loadByName(nullptr), catalog_result::kBadArgument},
        {"loaded name without output", catalog.loadedName(nullptr, 32), catalog_result::kBadArgument},
        {"loaded name too long", catalog.loadedName(shortBuffer, sizeof shortBuffer), catalog_result::kBadArgument},
        {"path too long", catalog.driverPath(fixture, shortBuffer, sizeof shortBuffer), catalog_result::kBadArgument},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, c.expected) << c.what;
    // None of them disturbed the loaded driver.
    EXPECT_EQ(catalog.loadedIndex(), fixture);
    char name[32] = {};
    catalog.loadedDriver()->getDriverName(name);
    EXPECT_STREQ(name, kFixtureAsioDriverName);
}

TEST_F(AsioDriverCatalogTest, ADriverWhoseServerDoesNotServeItsClassFailsToLoadAndChangesNothing) {
    AsioDriverCatalog catalog;
    const int unserved = indexOf(catalog, "Rimba Unserved");
    ASSERT_GE(unserved, 0);
    EXPECT_EQ(catalog.loadByIndex(unserved), asio::kNotPresent);
    EXPECT_EQ(catalog.loadedIndex(), -1);
    EXPECT_EQ(catalog.loadedDriver(), nullptr);

    // Replacing a loaded driver by a broken one keeps the one that works.
    ASSERT_EQ(catalog.loadByName("Rimba Key Named"), catalog_result::kOk);
    const int keyNamed = catalog.loadedIndex();
    EXPECT_NE(catalog.loadByName("Rimba Unserved"), catalog_result::kOk);
    EXPECT_EQ(catalog.loadedIndex(), keyNamed);
    ASSERT_NE(catalog.loadedDriver(), nullptr);
    EXPECT_NE(catalog.loadedDriver()->init(nullptr), 0);
    char name[kListedNameSize];
    ASSERT_EQ(catalog.loadedName(name, sizeof name), catalog_result::kOk);
    EXPECT_STREQ(name, "Rimba Key Named");
}

}  // namespace
}  // namespace rimba::standalone
