#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../temp_path.h"
#include "render/bmp_file.h"

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

    EXPECT_EQ(WriteBmpFile(nullptr, 2, 2, pixels, 2), kInvalidCall);
    const std::string unwritable = ::testing::TempDir() + "no-such-folder/chart.bmp";
    EXPECT_NE(WriteBmpFile(unwritable.c_str(), 2, 2, pixels, 2), 0);
    EXPECT_FALSE(Exists(unwritable));
}

}  // namespace
