#include "png_image.h"
#include "png_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class PngWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cascade-png-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
    }
    void TearDown() override
    {
        for (const std::string& name : entries())
            unlink((directory + "/" + name).c_str());
        chmod(directory.c_str(), 0700);
        rmdir(directory.c_str());
    }
    std::vector<std::string> entries() const { return filesIn(directory); }
    std::string directory;
};

// 3 x 2 picture in GL's order, the bottom row first.
std::vector<std::uint8_t> bottomUpPicture()
{
    return {
        10, 20, 30, 40, 50, 60, 70, 80, 90,        // bottom row
        200, 0, 0, 0, 200, 0, 0, 0, 200,           // top row
    };
}

} // namespace

TEST_F(PngWriterTest, WritesRgbTopRowFirst)
{
    const std::string path = directory + "/picture.png";
    PngWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, error)) << error;
    ASSERT_TRUE(writer.commit(3, 2, bottomUpPicture(), error)) << error;

    RgbImage image;
    ASSERT_TRUE(readRgbPng(path, image));
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    const std::vector<std::uint8_t> topDown = {200, 0, 0, 0, 200, 0, 0, 0, 200, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    EXPECT_EQ(image.pixels, topDown);
    // Only the picture is left: the temporary file became it.
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});

    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

    // The same pixels give the same bytes.
    const std::string first = readFileBytes(path);
    PngWriter again;
    ASSERT_TRUE(again.open(path, error));
    ASSERT_TRUE(again.commit(3, 2, bottomUpPicture(), error));
    EXPECT_EQ(readFileBytes(path), first);
}

TEST_F(PngWriterTest, UnwritablePlacesAreReportedBeforeAnyWork)
{
    PngWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open(directory + "/missing/picture.png", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    EXPECT_FALSE(writer.open(directory, error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;

    if (geteuid() != 0) { // root writes anywhere
        chmod(directory.c_str(), 0500);
        EXPECT_FALSE(writer.open(directory + "/picture.png", error));
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
        chmod(directory.c_str(), 0700);
    }
    EXPECT_TRUE(entries().empty());
}

TEST_F(PngWriterTest, AFailedOrAbandonedWriteLeavesTheOldFile)
{
    const std::string path = directory + "/picture.png";
    {
        std::ofstream old(path);
        old << "old picture";
    }
    std::string error;
    {
        PngWriter writer;
        ASSERT_TRUE(writer.open(path, error));
        EXPECT_EQ(entries().size(), 2u); // the target and the temporary file
        // Pixels that do not match the size are refused.
        EXPECT_FALSE(writer.commit(3, 3, bottomUpPicture(), error));
        EXPECT_FALSE(error.empty());
    }
    {
        PngWriter abandoned;
        ASSERT_TRUE(abandoned.open(path, error));
    } // destroyed without a commit, as when a render is interrupted
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.png"});
    EXPECT_EQ(readFileBytes(path), "old picture");

    PngWriter unopened;
    EXPECT_FALSE(unopened.commit(3, 2, bottomUpPicture(), error));
}
