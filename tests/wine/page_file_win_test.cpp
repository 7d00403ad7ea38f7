// Saving pages on Windows paths, under Wine.
#include "capture/page_file.h"

#include "tests/wine/win_test_dir.h"

namespace {

class SavePageWin : public WinTestDir {};

TEST_F(SavePageWin, DeviceNameBecomesAPlainFile) {
    const std::string name = PageFileName("http://h/con.html");
    ASSERT_EQ(name, "_con.html");
    const SaveResult r = SavePage(dir_, name, "<body>\n");
    ASSERT_EQ(r.error, SaveError::None);
    EXPECT_EQ(r.path, dir_ + "_con.html");
    EXPECT_EQ(Read(dir_ + "_con.html"), "<body>\r\n");
}

TEST_F(SavePageWin, ShiftJisNameWithBackslashSecondByte) {
    // "表示.html": the first character's second byte is 0x5C.
    const std::string name = PageFileName("http://h/\x95\x5C\x8E\xA6.html");
    ASSERT_EQ(name, "\x95\x5C\x8E\xA6.html");
    const SaveResult r = SavePage(dir_, name, "a\nb");
    ASSERT_EQ(r.error, SaveError::None);
    EXPECT_EQ(Read(dir_ + name), "a\r\nb");

    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir_ + "*.html").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    EXPECT_EQ(std::string(found.cFileName), name);

    const SaveResult again = SavePage(dir_, name, "c");
    EXPECT_EQ(again.path, dir_ + "\x95\x5C\x8E\xA6_001.html");
}

TEST_F(SavePageWin, QueryStringNameIsSaved) {
    const std::string name = PageFileName("http://h/page.html?x=1");
    ASSERT_EQ(SavePage(dir_, name, "1").error, SaveError::None);
    const SaveResult second = SavePage(dir_, name, "2");
    ASSERT_EQ(second.error, SaveError::None);
    EXPECT_EQ(second.path, dir_ + "page_001.html_x=1");
    EXPECT_EQ(Read(dir_ + "page.html_x=1"), "1");
    EXPECT_EQ(Read(dir_ + "page_001.html_x=1"), "2");
}

TEST_F(SavePageWin, FolderUnderTheNameMovesOn) {
    // A folder cannot be opened as a file, so the probe finds the name free;
    // creating the file then fails and the next name is used.
    ASSERT_TRUE(CreateDirectoryA((dir_ + "page.html").c_str(), nullptr));
    const SaveResult r = SavePage(dir_, "page.html", "x");
    ASSERT_EQ(r.error, SaveError::None);
    EXPECT_EQ(r.path, dir_ + "page_001.html");
}

TEST_F(SavePageWin, ExistingFileIsNeverTruncated) {
    Put(dir_ + "p.html", "keep");
    EXPECT_EQ(WritePage(dir_ + "p.html", "new"), WriteResult::NameTaken);
    EXPECT_EQ(Read(dir_ + "p.html"), "keep");
}

TEST_F(SavePageWin, MissingFolderFails) {
    EXPECT_EQ(SavePage(dir_ + "missing\\", "p.html", "x").error, SaveError::WriteFailed);
    EXPECT_FALSE(Exists(dir_ + "missing"));
}

TEST_F(SavePageWin, NoFreeNameIsTold) {
    Put(dir_ + "p", "old");
    for (unsigned i = 1; i <= kLastCounter; ++i) Put(CandidatePath(dir_, "p", i), "old");
    EXPECT_FALSE(FindFreePath(dir_, "p"));
    EXPECT_EQ(SavePage(dir_, "p", "new").error, SaveError::NoFreeName);
    EXPECT_EQ(Read(dir_ + "p_000"), "old");
}

class SavePageOnDriveZ : public WinTestDir {
    void SetUp() override { MakeUnder("Z:\\tmp\\"); }
};

TEST_F(SavePageOnDriveZ, SavesThroughTheUnixRoot) {
    ASSERT_EQ(dir_.rfind("Z:\\tmp\\", 0), 0u);
    const SaveResult r = SavePage(dir_, PageFileName("http://h/dir/"), "<BODY>x\r\n");
    ASSERT_EQ(r.error, SaveError::None);
    EXPECT_EQ(r.path, dir_ + "index.html");
    EXPECT_EQ(Read(dir_ + "index.html"), "<BODY>x\r\n");
}

}  // namespace
