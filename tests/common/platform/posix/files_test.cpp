#include "common/platform/Files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "tests/common/platform/TempFolder.h"
#include "tests/common/platform/posix/FileSizeLimit.h"

namespace rimba::platform {
namespace {

using fixtures::bytesOf;
using fixtures::contentOf;
using fixtures::TempFolder;
using ::testing::AnyOf;
using ::testing::ElementsAre;

std::vector<std::uint8_t> patternBytes(std::size_t count, unsigned seed) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 131u + seed) & 0xFFu);
    }
    return bytes;
}

mode_t permissionsOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

using rimba::platform::fixtures::FileSizeLimit;

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous(umask(mask)) {}
    ~ScopedUmask() { umask(previous); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous;
};

TEST(ReadWholeFile, MissingFileGivesNothing) {
    TempFolder folder;
    EXPECT_FALSE(readWholeFile(folder / "missing.bin").has_value());
}

TEST(ReadWholeFile, EmptyFileGivesEmptyBytes) {
    TempFolder folder;
    const std::optional<std::vector<std::uint8_t>> bytes = readWholeFile(folder.makeFile("empty"));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->empty());
}

TEST(ReadWholeFile, FolderGivesNothing) {
    TempFolder folder;
    EXPECT_FALSE(readWholeFile(folder.makeFolder("sub")).has_value());
}

TEST(ReadWholeFile, ReadsBinaryContentExactly) {
    TempFolder folder;
    const std::string content(
        "\x00\xFF\r\n\x1A"
        "after",
        10);
    const std::optional<std::vector<std::uint8_t>> bytes = readWholeFile(folder.makeFile("binary.bin", content));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, bytesOf(content));
}

TEST(WriteFileAtomically, CreatesNewFile) {
    TempFolder folder;
    const std::string target = folder / "new.fxp";
    ASSERT_TRUE(writeFileAtomically(target, bytesOf("first")));
    EXPECT_EQ(contentOf(target), "first");
    EXPECT_THAT(folder.namesIn(), ElementsAre("new.fxp"));
}

TEST(WriteFileAtomically, ReplacesLongerContentCompletely) {
    TempFolder folder;
    const std::string target = folder.makeFile("settings.conf", "a much longer old content");
    ASSERT_TRUE(writeFileAtomically(target, bytesOf("short")));
    EXPECT_EQ(contentOf(target), "short");
    EXPECT_THAT(folder.namesIn(), ElementsAre("settings.conf"));
}

TEST(WriteFileAtomically, WritesEmptyFile) {
    TempFolder folder;
    const std::string target = folder.makeFile("cleared.bin", "old");
    ASSERT_TRUE(writeFileAtomically(target, {}));
    const std::optional<std::vector<std::uint8_t>> bytes = readWholeFile(target);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->empty());
}

TEST(WriteFileAtomically, RoundTripsLargeBinaryContent) {
    TempFolder folder;
    const std::string target = folder / "large.bin";
    const std::vector<std::uint8_t> bytes = patternBytes(3 * 1024 * 1024 + 17, 5);
    ASSERT_TRUE(writeFileAtomically(target, bytes));
    EXPECT_EQ(readWholeFile(target), bytes);
}

TEST(WriteFileAtomically, FailedWriteLeavesOldFileIdenticalAndNoTemporaryFile) {
    TempFolder folder;
    const std::string oldContent("old content\0with a zero", 23);
    const std::string target = folder.makeFile("kit.kit", oldContent);
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.isApplied());
        EXPECT_FALSE(writeFileAtomically(target, patternBytes(4096, 1)));
    }
    EXPECT_EQ(contentOf(target), oldContent);
    EXPECT_THAT(folder.namesIn(), ElementsAre("kit.kit"));
}

TEST(WriteFileAtomically, TargetThatIsAFolderFailsAndLeavesNoTemporaryFile) {
    TempFolder folder;
    folder.makeFile("target/inside.txt", "kept");
    EXPECT_FALSE(writeFileAtomically(folder / "target", bytesOf("new")));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "target"));
    EXPECT_EQ(contentOf(folder / "target/inside.txt"), "kept");
    EXPECT_THAT(folder.namesIn(), ElementsAre("target"));
}

TEST(WriteFileAtomically, MissingFolderFails) {
    TempFolder folder;
    EXPECT_FALSE(writeFileAtomically(folder / "missing/file.bin", bytesOf("x")));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST(WriteFileAtomically, EmptyPathOrFolderPathFails) {
    TempFolder folder;
    EXPECT_FALSE(writeFileAtomically("", bytesOf("x")));
    EXPECT_FALSE(writeFileAtomically(folder.path() + "/", bytesOf("x")));
    EXPECT_TRUE(folder.namesIn().empty());
}

TEST(WriteFileAtomically, ReadOnlyFolderLeavesOldFileIdentical) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not stop the superuser";
    }
    TempFolder folder;
    const std::string target = folder.makeFile("locked/pattern.pat", "old pattern");
    std::filesystem::permissions(folder / "locked",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(writeFileAtomically(target, bytesOf("new pattern")));
    std::filesystem::permissions(folder / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(contentOf(target), "old pattern");
    EXPECT_THAT(folder.namesIn("locked"), ElementsAre("pattern.pat"));
}

TEST(WriteFileAtomically, KeepsPermissionsOfReplacedFile) {
    TempFolder folder;
    const std::string target = folder.makeFile("private.conf", "old");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(target, bytesOf("new")));
    EXPECT_EQ(permissionsOf(target), 0640u);
}

TEST(WriteFileAtomically, NewFileFollowsUmask) {
    TempFolder folder;
    ScopedUmask mask(027);
    const std::string target = folder / "fresh.conf";
    ASSERT_TRUE(writeFileAtomically(target, bytesOf("x")));
    EXPECT_EQ(permissionsOf(target), 0640u);
}

TEST(WriteFileAtomically, ConcurrentWritersLeaveOneWholeVersion) {
    TempFolder folder;
    const std::string target = folder / "shared.bin";
    const std::vector<std::uint8_t> first = patternBytes(70000, 1);
    const std::vector<std::uint8_t> second = patternBytes(50000, 2);
    std::atomic<int> failures{0};
    auto writeRepeatedly = [&](const std::vector<std::uint8_t>& bytes) {
        for (int i = 0; i < 20; ++i) {
            if (!writeFileAtomically(target, bytes)) {
                ++failures;
            }
        }
    };
    std::thread one(writeRepeatedly, std::cref(first));
    std::thread two(writeRepeatedly, std::cref(second));
    one.join();
    two.join();
    EXPECT_EQ(failures.load(), 0);
    const std::optional<std::vector<std::uint8_t>> result = readWholeFile(target);
    ASSERT_TRUE(result.has_value());
    EXPECT_THAT(*result, AnyOf(first, second));
    EXPECT_THAT(folder.namesIn(), ElementsAre("shared.bin"));
}

TEST(WriteFileAtomically, WorksWithPathRelativeToCurrentFolder) {
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const bool written = writeFileAtomically("relative.bin", bytesOf("here"));
    std::filesystem::current_path(previous);
    EXPECT_TRUE(written);
    EXPECT_EQ(contentOf(folder / "relative.bin"), "here");
    EXPECT_THAT(folder.namesIn(), ElementsAre("relative.bin"));
}

TEST(FileExists, TellsFilesFromFoldersAndMissingPaths) {
    TempFolder folder;
    EXPECT_TRUE(fileExists(folder.makeFile("a.wav", "x")));
    EXPECT_TRUE(fileExists(folder.makeFile("empty.wav")));
    EXPECT_FALSE(fileExists(folder / "missing.wav"));
    EXPECT_FALSE(fileExists(folder.makeFolder("Kits")));
    EXPECT_FALSE(fileExists(""));
}

TEST(FileExists, FollowsLinks) {
    TempFolder folder;
    std::filesystem::create_symlink(folder.makeFile("real.wav", "x"), folder / "link.wav");
    std::filesystem::create_symlink(folder / "gone.wav", folder / "dangling.wav");
    EXPECT_TRUE(fileExists(folder / "link.wav"));
    EXPECT_FALSE(fileExists(folder / "dangling.wav"));
}

}  // namespace
}  // namespace rimba::platform

namespace rimba::platform {
namespace {

TEST(ReadWholeFileDevices, ADeviceOrPipeIsNotReadForEver) {
    EXPECT_FALSE(readWholeFile("/dev/zero").has_value());
    EXPECT_FALSE(readWholeFile("/dev/null").has_value());
}

TEST(ReadWholeFileDevices, ANamedPipeWithoutAWriterIsRefusedAtOnce) {
    TempFolder folder;
    const std::string pipe = folder / "Kick.wav";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_FALSE(readWholeFile(pipe).has_value());
}

}  // namespace
}  // namespace rimba::platform
