#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <iterator>
#include <string>
#include <vector>

#include "../temp_path.h"
#include "common/bmp_file.h"

namespace {

using namespace talvex::render;

uint32_t Read32(const std::vector<uint8_t>& file, size_t at) {
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (static_cast<uint32_t>(file[at + 3]) << 24);
}
uint32_t Read16(const std::vector<uint8_t>& file, size_t at) { return file[at] | (file[at + 1] << 8); }

bool Exists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f != nullptr) std::fclose(f);
    return f != nullptr;
}

TEST(BmpFile, SizesAndPadding) {
    const struct {
        int32_t width, height;
        size_t rowBytes, fileBytes;
    } cases[] = {{320, 240, 960, 230456}, {641, 480, 1924, 54 + 480 * 1924 + 2}, {1, 1, 4, 60}, {3, 3, 12, 92}};
    for (const auto& c : cases) {
        std::vector<uint32_t> pixels(static_cast<size_t>(c.width * c.height), 0x00FFFFFF);
        const std::vector<uint8_t> file = EncodeBmp(c.width, c.height, pixels.data(), c.width);
        ASSERT_EQ(file.size(), c.fileBytes) << c.width << " x " << c.height;
        EXPECT_EQ(Read32(file, 2), c.fileBytes);
        EXPECT_EQ(file.size() % 4, 0u);
        // Padding bytes after the first row's pixels, and after the last row, are zero.
        for (size_t i = 54 + 3 * static_cast<size_t>(c.width); i < 54 + c.rowBytes; ++i) EXPECT_EQ(file[i], 0) << i;
        for (size_t i = 54 + c.rowBytes * static_cast<size_t>(c.height); i < file.size(); ++i) EXPECT_EQ(file[i], 0);
    }
}

TEST(BmpFile, HeaderFields) {
    std::vector<uint32_t> pixels(320 * 240, 0);
    const std::vector<uint8_t> file = EncodeBmp(320, 240, pixels.data(), 320);
    EXPECT_EQ(Read16(file, 0), 0x4D42u);
    const struct {
        size_t offset;
        uint32_t value;
        bool wide;
    } fields[] = {{2, 230456, true}, {6, 0, true},    {10, 54, true},   {14, 40, true},   {18, 320, true},
                  {22, 240, true},   {26, 1, false},  {28, 24, false},  {30, 0, true},    {34, 0, true},
                  {38, 2834, true},  {42, 2834, true}, {46, 0, true},   {50, 0, true}};
    for (const auto& f : fields)
        EXPECT_EQ(f.wide ? Read32(file, f.offset) : Read16(file, f.offset), f.value) << "offset " << f.offset;
}

TEST(BmpFile, PixelsBottomRowFirstInBlueGreenRed) {
    const uint32_t pixels[2 * 2] = {0x00112233, 0xFF445566, 0x00778899, 0x00AABBCC};  // top row, then bottom
    const std::vector<uint8_t> file = EncodeBmp(2, 2, pixels, 2);
    const std::vector<uint8_t> rows(file.begin() + 54, file.begin() + 54 + 16);
    const std::vector<uint8_t> expected = {0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0, 0,
                                           0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0};
    EXPECT_EQ(rows, expected);
}

TEST(BmpFile, WritesTheFileOrNothing) {
    const uint32_t pixels[4] = {1, 2, 3, 4};
    const std::string path = UniqueTempPath("bmp_test.bmp");
    ASSERT_EQ(WriteBmpFile(path.c_str(), 2, 2, pixels, 2), 0);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, EncodeBmp(2, 2, pixels, 2));
    std::remove(path.c_str());

    EXPECT_EQ(WriteBmpFile(nullptr, 2, 2, pixels, 2), talvex::kInvalidCall);
    const std::string unwritable = ::testing::TempDir() + "no-such-folder/chart.bmp";
    EXPECT_NE(WriteBmpFile(unwritable.c_str(), 2, 2, pixels, 2), 0);
    EXPECT_FALSE(Exists(unwritable));
}


std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& contents) { std::ofstream(path, std::ios::binary) << contents; }

// Entries of a directory whose names start with prefix.
int CountStartingWith(const std::string& directory, const std::string& prefix) {
    int n = 0;
    if (DIR* d = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(d)) n += std::string(entry->d_name).rfind(prefix, 0) == 0;
        closedir(d);
    }
    return n;
}

// A directory of its own under the test temporary directory.
struct ScratchDirectory {
    ScratchDirectory() : path(UniqueTempPath("dir")) { mkdir(path.c_str(), 0755); }
    ~ScratchDirectory() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string path;
};

TEST(BmpFile, FailedWriteLeavesTheOldPictureAndNoTemporary) {
    const ScratchDirectory dir;
    const std::string path = dir.path + "/chart.bmp";
    Put(path, "the old picture");
    const uint32_t pixels[4] = {1, 2, 3, 4};
    FailNextPictureWrites(1);
    EXPECT_EQ(WriteBmpFile(path.c_str(), 2, 2, pixels, 2), talvex::kCannotWriteFile);
    EXPECT_EQ(Contents(path), "the old picture");
    EXPECT_EQ(CountStartingWith(dir.path, "chart.bmp"), 1) << "no temporary remains";
    chmod(path.c_str(), 0640);
    ASSERT_EQ(WriteBmpFile(path.c_str(), 2, 2, pixels, 2), 0);
    const std::vector<uint8_t> file = EncodeBmp(2, 2, pixels, 2);
    EXPECT_EQ(Contents(path), std::string(file.begin(), file.end())) << "replaced whole";
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u) << "the replaced picture keeps its mode";
    EXPECT_EQ(CountStartingWith(dir.path, "chart.bmp"), 1);
}

// A disk that fills up during the write: a tiny tmpfs where the test may
// mount one (as root), else skipped (the injected failure above covers it).
TEST(BmpFile, FullDiskLeavesTheOldPicture) {
    const ScratchDirectory dir;
    if (mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
    const std::string path = dir.path + "/chart.bmp";
    Put(path, "the old picture");
    const std::vector<uint32_t> pixels(200 * 200, 0x123456);
    const HResult result = WriteBmpFile(path.c_str(), 200, 200, pixels.data(), 200);
    const std::string contents = Contents(path);
    const int entries = CountStartingWith(dir.path, "chart.bmp");
    umount2(dir.path.c_str(), MNT_DETACH);
    EXPECT_EQ(result, talvex::kCannotWriteFile);
    EXPECT_EQ(contents, "the old picture");
    EXPECT_EQ(entries, 1) << "no temporary remains";
}

bool IsCharacterDevice(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode);
}

TEST(BmpFile, DevicesAndDirectoriesAreRefusedUntouched) {
    const uint32_t pixels[4] = {1, 2, 3, 4};
    EXPECT_EQ(WriteBmpFile("/dev/null", 2, 2, pixels, 2), talvex::kNotAFile);
    EXPECT_TRUE(IsCharacterDevice("/dev/null"));

    const ScratchDirectory dir;
    EXPECT_EQ(WriteBmpFile(dir.path.c_str(), 2, 2, pixels, 2), talvex::kNotAFile);
    struct stat status {};
    ASSERT_EQ(stat(dir.path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(CountStartingWith(dir.path, ""), 2) << "only . and ..";

    // A link to nothing stays a link.
    const std::string dangling = dir.path + "/dangling.bmp";
    ASSERT_EQ(symlink((dir.path + "/nowhere/picture.bmp").c_str(), dangling.c_str()), 0);
    EXPECT_LT(WriteBmpFile(dangling.c_str(), 2, 2, pixels, 2), 0);
    ASSERT_EQ(lstat(dangling.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    ASSERT_EQ(std::remove(dangling.c_str()), 0);

    // A device that fails every write, as /dev/full does; a copy of its node,
    // so that nothing of the system's is at stake.
    const std::string full = dir.path + "/full";
    if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) GTEST_SKIP() << "cannot make a device node here";
    EXPECT_EQ(WriteBmpFile(full.c_str(), 2, 2, pixels, 2), talvex::kNotAFile);
    EXPECT_TRUE(IsCharacterDevice(full)) << "the node is still there";
    EXPECT_EQ(CountStartingWith(dir.path, "full"), 1);
}

}  // namespace
