#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/KnownFolders.h"

namespace {

using namespace platform;

const std::string kFolder = TEST_OUTPUT_DIR;

TEST(FileSystem, WholeFilesRoundTripAndOversizedOnesAreNotRead) {
  const std::string path = JoinPath(kFolder, "whole.bin");
  std::string bytes(70000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  ASSERT_TRUE(WriteFileAtomically(path, bytes));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, bytes.size(), back));
  EXPECT_EQ(back, bytes);
  EXPECT_FALSE(ReadWholeFile(path, bytes.size() - 1, back));
  EXPECT_TRUE(back.empty());
  EXPECT_FALSE(ReadWholeFile(JoinPath(kFolder, "missing.bin"), 100, back));
  EXPECT_FALSE(ReadWholeFile(kFolder, 100, back)) << "a folder is not a file";
}

TEST(FileSystem, AFailedWriteLeavesTheOldFileWhole) {
  const std::string path = JoinPath(kFolder, "kept.bin");
  ASSERT_TRUE(WriteFileAtomically(path, "old contents"));
  EXPECT_FALSE(WriteFileAtomically(JoinPath(JoinPath(kFolder, "no-such-folder"), "x.bin"), "new"));
  // A folder where the file should go: the rename fails and nothing is left behind.
  const std::string blocked = JoinPath(kFolder, "blocked");
  ASSERT_TRUE(CreateFolder(blocked));
  EXPECT_FALSE(WriteFileAtomically(blocked, "new"));
  EXPECT_TRUE(FolderExists(blocked));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(path, 100, back));
  EXPECT_EQ(back, "old contents");
}

TEST(FileSystem, FoldersAndEmptyFilesAreCreatedOnce) {
  const std::string folder = JoinPath(kFolder, "made");
  EXPECT_TRUE(CreateFolder(folder));
  EXPECT_TRUE(CreateFolder(folder));
  EXPECT_TRUE(FolderExists(folder));
  const std::string file = JoinPath(folder, "empty.ini");
  std::remove(file.c_str());
  EXPECT_TRUE(CreateEmptyFile(file));
  ASSERT_TRUE(WriteFileAtomically(file, "kept"));
  EXPECT_TRUE(CreateEmptyFile(file));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(file, 100, back));
  EXPECT_EQ(back, "kept") << "an existing file is not emptied";
  EXPECT_FALSE(CreateEmptyFile(JoinPath(JoinPath(kFolder, "no-such-folder"), "x")));
}

TEST(KnownFolders, ConfigurationAndDocumentsFoldersExistForThisUser) {
  const std::string config = ConfigurationFolder();
  const std::string documents = DocumentsFolder();
  EXPECT_FALSE(config.empty());
  ASSERT_FALSE(documents.empty());
  EXPECT_TRUE(FolderExists(documents)) << documents;
  EXPECT_EQ(JoinPath("a", "b"), std::string("a") + kPathSeparator + "b");
  EXPECT_EQ(JoinPath(std::string("a") + kPathSeparator, "b"), std::string("a") + kPathSeparator + "b");
}

}  // namespace
