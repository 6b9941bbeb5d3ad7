// Whole-file reads and writes and unique names, on real files under Wine.
#include <gtest/gtest.h>

#include "framework/file_ops.h"
#include "support/test_support.h"

TEST(WriteWholeFile, WritesEmptyAndReplacesExistingFiles)
{
    TempFolder folder;
    std::string path = folder / "a.dat";
    EXPECT_TRUE(WriteWholeFile(path, ""));
    EXPECT_TRUE(PathExists(path));
    EXPECT_EQ(ReadBytes(path), "");

    EXPECT_TRUE(WriteWholeFile(path, "1\x1D" "0104150123456782"));
    EXPECT_TRUE(WriteWholeFile(path, "2second"));
    EXPECT_EQ(ReadBytes(path), "2second");
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

TEST(WriteWholeFile, TargetThatCannotBeDeletedStaysUnchangedAndTheCallFails)
{
    TempFolder folder;
    std::string path = folder / "held.dat";
    WriteBytes(path, "old content");
    FileHandle holder(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_FALSE(WriteWholeFile(path, "new content"));
    EXPECT_NE(GetLastError(), 0u) << "the failing call's error code is kept";
    holder.Reset();
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_FALSE(PathExists(path + ".tmp"));
}

TEST(ReadWholeFile, AppendsAndCutsEachChunkAtAZeroByte)
{
    TempFolder folder;
    std::string path = folder / "z.dat";
    std::string bytes = std::string("AB\0CD", 5) + std::string(1024 - 5, 'x') + "tail";
    WriteBytes(path, bytes);
    std::string text = "prefix:";
    EXPECT_TRUE(ReadWholeFile(path, text));
    EXPECT_EQ(text, "prefix:ABtail") << "the first chunk ends at its zero byte";

    std::string missing = "kept?";
    EXPECT_FALSE(ReadWholeFile(folder / "missing.dat", missing));
    EXPECT_EQ(missing, "");
}

TEST(MakeUniqueFileName, SkipsNamesThatExistAndHasNoExtension)
{
    TempFolder folder;
    WriteBytes(folder / "1001.dat", "");
    WriteBytes(folder / "1002.dat", "");
    WriteBytes(folder / "1003.post", "");  // another extension does not count
    EXPECT_EQ(MakeUniqueFileNameFrom(1000, folder.Path(), "", "dat"), folder / "1003");
    EXPECT_EQ(MakeUniqueFileNameFrom(1000, folder.Path(), "p", "dat"), folder / "p1001");

    std::string name = MakeUniqueFileName(folder.Path(), "", "dat");
    std::string digits = name.substr(folder.Path().size() + 1);
    EXPECT_FALSE(digits.empty());
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << name;
}

TEST(FileExists, FilesAndFolders)
{
    TempFolder folder;
    WriteBytes(folder / "f", "");
    EXPECT_TRUE(FileExists(folder / "f"));
    EXPECT_TRUE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder / "nothing"));
    EXPECT_TRUE(DirectoryExists(folder.Path()));
    EXPECT_FALSE(DirectoryExists(folder / "f"));
}
