#include "common/platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/common/platform/SystemLibraries.h"
#include "tests/common/platform/TempFolder.h"

namespace rimba::platform {
namespace {


using UnaryFunction = double (*)(double);

double callUnary(void* address, double argument) { return reinterpret_cast<UnaryFunction>(address)(argument); }

TEST(DynamicLibrary, OpensLibraryAndFindsWorkingSymbol) {
    DynamicLibrary library(kMathLibrary);
    ASSERT_TRUE(library.isOpen()) << library.lastError();
    EXPECT_TRUE(library.lastError().empty());
    void* cosine = library.symbol("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(callUnary(cosine, 0.0), 1.0);
    EXPECT_TRUE(library.lastError().empty());
}

TEST(DynamicLibrary, MissingLibraryFailsQuietlyWithReason) {
    DynamicLibrary library;
    EXPECT_FALSE(library.open(missingLibraryPath()));
    EXPECT_FALSE(library.isOpen());
    EXPECT_FALSE(library.lastError().empty());
    EXPECT_EQ(library.symbol("cos"), nullptr);
}

TEST(DynamicLibrary, FileThatIsNoLibraryFailsQuietly) {
    fixtures::TempFolder folder;
    DynamicLibrary library;
    EXPECT_FALSE(library.open(folder.makeFile("libfake.so", "not a library")));
    EXPECT_FALSE(library.isOpen());
    EXPECT_FALSE(library.lastError().empty());
}

TEST(DynamicLibrary, EmptyPathDoesNotOpenTheProgramItself) {
    DynamicLibrary library;
    EXPECT_FALSE(library.open(""));
    EXPECT_FALSE(library.isOpen());
    EXPECT_FALSE(library.lastError().empty());
}

TEST(DynamicLibrary, MissingSymbolGivesNullWithReason) {
    DynamicLibrary library(kMathLibrary);
    ASSERT_TRUE(library.isOpen()) << library.lastError();
    EXPECT_EQ(library.symbol("RimbaNoSuchEntryPoint"), nullptr);
    EXPECT_FALSE(library.lastError().empty());
    EXPECT_EQ(library.symbol(nullptr), nullptr);
}

TEST(DynamicLibrary, SuccessfulOpenClearsEarlierError) {
    DynamicLibrary library;
    ASSERT_FALSE(library.open(missingLibraryPath()));
    ASSERT_FALSE(library.lastError().empty());
    ASSERT_TRUE(library.open(kMathLibrary));
    EXPECT_TRUE(library.lastError().empty());
}

TEST(DynamicLibrary, CloseForgetsTheLibrary) {
    DynamicLibrary library(kMathLibrary);
    ASSERT_TRUE(library.isOpen());
    library.close();
    EXPECT_FALSE(library.isOpen());
    EXPECT_EQ(library.symbol("cos"), nullptr);
    library.close();
    EXPECT_FALSE(library.isOpen());
}

TEST(DynamicLibrary, MoveHandsOverTheLibrary) {
    DynamicLibrary original(kMathLibrary);
    ASSERT_TRUE(original.isOpen());
    DynamicLibrary moved(std::move(original));
    EXPECT_FALSE(original.isOpen());
    ASSERT_TRUE(moved.isOpen());
    void* sine = moved.symbol("sin");
    ASSERT_NE(sine, nullptr);
    EXPECT_DOUBLE_EQ(callUnary(sine, 0.0), 0.0);

    DynamicLibrary assigned;
    assigned = std::move(moved);
    EXPECT_FALSE(moved.isOpen());
    ASSERT_TRUE(assigned.isOpen());
    void* cosine = assigned.symbol("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(callUnary(cosine, 0.0), 1.0);
}

TEST(DynamicLibrary, MoveAssignmentClosesWhatWasOpen) {
    DynamicLibrary target(kMathLibrary);
    DynamicLibrary failed;
    ASSERT_FALSE(failed.open(missingLibraryPath()));
    target = std::move(failed);
    EXPECT_FALSE(target.isOpen());
    EXPECT_FALSE(target.lastError().empty());
}

}  // namespace
}  // namespace rimba::platform
