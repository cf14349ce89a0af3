#include "services/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "services/seek_penalty.h"
#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "tests/text/gbk_samples.h"

namespace {

ByteBuffer BytesOf(const char* text) { return ToBytes(text); }

// Every test works in a fresh folder under %TEMP%, removed afterwards.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = ConcatTexts({temp, "md5check-files-", ToText(static_cast<std::int32_t>(GetCurrentProcessId()))});
    ASSERT_TRUE(CreateDirectoryA(folder_.CStr(), nullptr));
  }

  void TearDown() override {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(PathOf("*").CStr(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileA(PathOf(found.cFileName).CStr());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder_.CStr());
  }

  Text PathOf(const Text& name) const { return ConcatTexts({folder_, "\\", name}); }

  Text Make(const Text& name, const char* contents) {
    const Text path = PathOf(name);
    EXPECT_TRUE(WriteWholeFile(path, BytesOf(contents)));
    return path;
  }

  Text folder_;
};

// Holds a file open with the given access, sharing read and write.
struct OpenFile {
  OpenFile(const Text& path, DWORD access)
      : handle(CreateFileA(path.CStr(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr)) {}
  ~OpenFile() { CloseHandle(handle); }
  HANDLE handle;
};

TEST_F(FilesTest, FileExistsForFilesFoldersAndMatchingPatterns) {
  Make("md5.ini", "x");
  EXPECT_TRUE(FileExists(PathOf("md5.ini")));
  EXPECT_TRUE(FileExists(folder_));
  EXPECT_TRUE(FileExists(PathOf("*.ini")));
  EXPECT_FALSE(FileExists(PathOf("*.txt")));
  EXPECT_FALSE(FileExists(PathOf("missing.ini")));
  EXPECT_FALSE(FileExists(Text()));
}

TEST_F(FilesTest, WholeFileRoundTripsAnyBytes) {
  const char bytes[] = "a=\x81\x5C\r\n\0\xFF";
  const ByteBuffer contents(bytes, sizeof bytes - 1);
  ASSERT_TRUE(WriteWholeFile(PathOf("data.bin"), contents));
  EXPECT_EQ(ReadWholeFile(PathOf("data.bin")), contents);
}

TEST_F(FilesTest, GbkNamesWithA5CSecondByteWork) {
  const Text path = Make(ConcatTexts({gbk::kChars5C, gbk::kChar855C, ".ini"}), "digest");
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(ReadWholeFile(path), BytesOf("digest"));
  EXPECT_EQ(PathFolder(path), folder_);
}

TEST_F(FilesTest, ReadWholeFileSharesForReadingOnlyAndGivesEmptyOnFailure) {
  const Text path = Make("md5.ini", "abc");
  {
    OpenFile reader(path, GENERIC_READ);
    EXPECT_EQ(ReadWholeFile(path), BytesOf("abc"));
  }
  OpenFile writer(path, GENERIC_WRITE);
  EXPECT_TRUE(ReadWholeFile(path).IsEmpty());
  EXPECT_TRUE(ReadWholeFile(PathOf("missing.ini")).IsEmpty());
  EXPECT_TRUE(ReadWholeFile(folder_).IsEmpty());
}

TEST_F(FilesTest, WriteWholeFileTruncatesALongerFile) {
  const Text path = Make("out.ini", "a much longer old content");
  ASSERT_TRUE(WriteWholeFile(path, BytesOf("new")));
  EXPECT_EQ(ReadWholeFile(path), BytesOf("new"));
}

TEST_F(FilesTest, WriteWholeFileWritesBuffersInOrderSkippingEmptyOnes) {
  const ByteBuffer first = BytesOf("a=1\r\n");
  const ByteBuffer empty;
  const ByteBuffer second = BytesOf("b=2\r\n");
  ASSERT_TRUE(WriteWholeFile(PathOf("out.ini"), {&first, &empty, &second}));
  EXPECT_EQ(ReadWholeFile(PathOf("out.ini")), BytesOf("a=1\r\nb=2\r\n"));
  ASSERT_TRUE(WriteWholeFile(PathOf("out.ini"), empty));
  EXPECT_TRUE(FileExists(PathOf("out.ini")));
}

TEST_F(FilesTest, WriteWholeFileFailsWithoutTouchingOthers) {
  EXPECT_FALSE(WriteWholeFile(Text(), BytesOf("x")));
  EXPECT_FALSE(WriteWholeFile(PathOf("missing\\out.ini"), BytesOf("x")));
  const Text path = Make("held.ini", "old");
  {
    OpenFile reader(path, GENERIC_READ);  // no sharing requested: must fail
    EXPECT_FALSE(WriteWholeFile(path, BytesOf("new")));
  }
  EXPECT_EQ(ReadWholeFile(path), BytesOf("old"));
  // Read-only stays read-only, also where the system would let it be
  // replaced (Wine run as root).
  const Text readOnly = Make("readonly.ini", "keep");
  SetFileAttributesA(readOnly.CStr(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(WriteWholeFile(readOnly, BytesOf("new")));
  EXPECT_EQ(ReadWholeFile(readOnly), BytesOf("keep"));
  SetFileAttributesA(readOnly.CStr(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FilesTest, ReplaceWholeFileLeavesOldOrNewBytesAndNothingBeside) {
  const Text path = Make("md5.ini", "a much longer old list");
  EXPECT_EQ(ReplaceWholeFile(path, BytesOf("new")), 0u);
  EXPECT_EQ(ReadWholeFile(path), BytesOf("new"));
  EXPECT_EQ(ReplaceWholeFile(PathOf("fresh.md5"), ByteBuffer()), 0u);
  EXPECT_TRUE(FileExists(PathOf("fresh.md5")));
  EXPECT_NE(ReplaceWholeFile(PathOf("missing\\out.ini"), BytesOf("x")), 0u);
  const Text readOnly = Make("readonly.ini", "keep");
  SetFileAttributesA(readOnly.CStr(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReplaceWholeFile(readOnly, BytesOf("new")), static_cast<unsigned long>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(ReadWholeFile(readOnly), BytesOf("keep"));
  SetFileAttributesA(readOnly.CStr(), FILE_ATTRIBUTE_NORMAL);
  {
    OpenFile reader(path, GENERIC_READ);  // held without sharing: no replacing
    EXPECT_NE(ReplaceWholeFile(path, BytesOf("newer")), 0u);
  }
  EXPECT_EQ(ReadWholeFile(path), BytesOf("new"));
  // No sibling of a write, finished or failed, is left over.
  int files = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(PathOf("*.*").CStr(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++files;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  EXPECT_EQ(files, 3);  // md5.ini, fresh.md5, readonly.ini
  const Text reason = SystemErrorText(ERROR_ACCESS_DENIED);
  EXPECT_FALSE(reason.IsEmpty());
  EXPECT_NE(reason.Bytes().back(), '\n');
}

bool UnderWine() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Windows knows whether a fixed local disk seeks; Wine's storage drivers
// answer no such query, so there every volume's answer is unknown. Where
// no volume can be asked, the answer is unknown on both, and a server is
// never contacted.
TEST(SeekPenalty, KnownForALocalDiskUnknownWhereNoVolumeAnswers) {
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder(temp);
  const std::wstring device = VolumeDeviceOf(folder + L"some file");
  ASSERT_FALSE(device.empty());
  EXPECT_EQ(VolumeDeviceOf(L"\\\\?\\" + folder), device) << "the long form is the same volume";
  const SeekPenalty local = SeekPenaltyOf(folder);
  if (UnderWine()) {
    EXPECT_EQ(local, SeekPenalty::kUnknown) << "Wine answered the seek penalty query";
  } else if (GetDriveTypeW(folder.substr(0, 3).c_str()) == DRIVE_FIXED) {
    EXPECT_NE(local, SeekPenalty::kUnknown);
  }

  const DWORD drives = GetLogicalDrives();
  wchar_t absent = L'A';
  while (absent < L'Z' && (drives & (1u << (absent - L'A'))) != 0) ++absent;
  for (const std::wstring& path : {std::wstring(), std::wstring(1, absent) + L":\\file.bin",
                                  std::wstring(L"\\\\server\\share\\file.bin"),
                                  std::wstring(L"\\\\?\\UNC\\server\\share\\file.bin")}) {
    EXPECT_EQ(SeekPenaltyOf(path), SeekPenalty::kUnknown) << Utf8Of(path);
  }
  EXPECT_TRUE(VolumeDeviceOf(L"\\\\server\\share\\file.bin").empty());
}

TEST(RunDirectory, IsTheFolderOfThisProgram) {
  const Text folder = RunDirectory();
  ASSERT_FALSE(folder.IsEmpty());
  EXPECT_NE(RightPart(folder, 1), Text("\\"));
  EXPECT_TRUE(FileExists(ConcatTexts({folder, "\\text_files_test.exe"})));
}

}  // namespace
