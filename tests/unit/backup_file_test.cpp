#include "delivery/backup_file.h"
#include "platform/exclusive_file.h"
#include "platform/text_convert.h"
#include "tests/support/file_access.h"
#include "tests/support/heap_guard.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/temporary_directory.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

const std::string kMarker = "@PJL COMMENT VERSION:NICBOOT=1.02\r\n";
const std::string kKeyword = "@PJL ENTER LANGUAGE=DOWNLOAD";
const std::string kHeader = "\x1b%-12345X@PJL\r\n";
const std::string kPayload = "\r\n\x01\x02\x03 payload bytes \x7f\xff"s;

class BackupFileTest : public ::testing::Test {
  protected:
    std::u16string Write(const std::string& content, const std::string& name = "book.rvk") {
        return NarrowToWide(m_dir.Write(name, content));
    }

    TemporaryDirectory m_dir;
    HeapLeakGuard m_heap;
};

struct ContentCase {
    const char* why;
    std::string content;
    bool valid;        // ValidateBackupFile
    std::string field; // product-code field when valid
    bool accepted;     // CheckProductCode on that field
};

TEST_F(BackupFileTest, ChecksMarkersKeywordAndProductCode) {
    const std::string good = kKeyword + "\r\nMERIN-AIO-QTB \r\n";
    const ContentCase cases[] = {
        {"marker before the keyword", kHeader + kMarker + good + kPayload, true, "MERIN-AIO-QTB",
         true},
        {"marker after the keyword", kHeader + good + kMarker + kPayload, true, "MERIN-AIO-QTB",
         true},
        {"marker in lower case is no marker", kHeader + "@pjl comment version:NICBOOT=1\r\n" + good,
         false, "", false},
        {"component name in mixed case is no marker",
         kHeader + "@PJL COMMENT VERSION:NicBoot=1\r\n" + good, false, "", false},
        {"marker without '=' is no marker", kHeader + "@PJL COMMENT VERSION:NICBOOT 1\r\n" + good,
         false, "", false},
        {"unknown component name", kHeader + "@PJL COMMENT VERSION:SCANNER=1\r\n" + good, false, "",
         false},
        {"marker after the first NUL", kHeader + good + "\0"s + kMarker, false, "", false},
        {"keyword after the first NUL", kHeader + kMarker + "\0"s + good, false, "", false},
        {"no keyword", kHeader + kMarker + "MERIN-AIO-QTB \r\n", false, "", false},
        {"keyword in lower case",
         kHeader + kMarker + "@PJL ENTER LANGUAGE=download\r\nMERIN-AIO-QTB ", false, "", false},
        {"product code in lower case", kMarker + kKeyword + "\r\nmerin-aio-qtb \r\n", true,
         "merin-aio-qtb", true},
        {"code in mixed case", kMarker + kKeyword + "\r\nMerin-Aio-qtB \r\n", true, "Merin-Aio-qtB",
         true},
        {"code then CR LF and a byte: the line break stays in the field",
         kMarker + kKeyword + "\r\nMERIN-AIO-QTB\r\nX", true, "MERIN-AIO-QTB\r\nX", false},
        {"code then NUL", kMarker + kKeyword + "\r\nMERIN-AIO-QTB\0rest"s, true, "MERIN-AIO-QTB",
         true},
        {"code ends the file", kMarker + kKeyword + "\r\nMERIN-AIO-QTB", true, "MERIN-AIO-QTB",
         true},
        {"one character more", kMarker + kKeyword + "\r\nMERIN-AIO-QTBX \r\n", true,
         "MERIN-AIO-QTBX", false},
        {"one character fewer", kMarker + kKeyword + "\r\nMERIN-AIO-QT \r\n", true, "MERIN-AIO-QT",
         false},
        {"field holds at most 16 bytes", kMarker + kKeyword + "\r\nMERIN-AIO-QTB-0123456789", true,
         "MERIN-AIO-QTB-01", false},
        {"any two bytes after the keyword", kMarker + kKeyword + "xyMERIN-AIO-QTB ", true,
         "MERIN-AIO-QTB", true},
        {"NUL bytes between keyword and field are skipped, not searched",
         kMarker + kKeyword + "\0\0MERIN-AIO-QTB "s, true, "MERIN-AIO-QTB", true},
        {"only the first keyword counts (wrong code first)",
         kMarker + kKeyword + "\r\nOTHER-CODE \r\n" + kKeyword + "\r\nMERIN-AIO-QTB \r\n", true,
         "OTHER-CODE", false},
        {"only the first keyword counts (right code first)",
         kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n" + kKeyword + "\r\nOTHER-CODE \r\n", true,
         "MERIN-AIO-QTB", true},
        {"keyword at the very end: empty field", kMarker + kKeyword, true, "", false},
        {"space first: empty field", kMarker + kKeyword + "\r\n MERIN-AIO-QTB", true, "", false},
        {"a byte-order mark before the code is a wrong code",
         "@PJL COMMENT VERSION:NICBOOT=0.\n" + kKeyword + "\r\n\xEF\xBB\xBFMERIN-AIO-QTB", true,
         "\xEF\xBB\xBFMERIN-AIO-QTB", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::u16string path = Write(c.content);
        EXPECT_TRUE(BackupFileExists(path));
        char field[kProductCodeFieldBytes];
        std::fill(std::begin(field), std::end(field), 'Z');
        ASSERT_EQ(ValidateBackupFile(path, field), c.valid);
        if (c.valid) {
            EXPECT_EQ(std::string(field), c.field);
            EXPECT_EQ(CheckProductCode(field), c.accepted);
        }
    }
}

TEST_F(BackupFileTest, AnyOfTheTenComponentsIsEnough) {
    for (const char* name : {"RELEASE", "MCUFIRM", "MCUNVM", "NICBOOT", "NICAPPL", "FEEDER", "BOOT",
                             "DUPLEXER", "AIOCMAIN", "BACKUP"}) {
        SCOPED_TRACE(name);
        char field[kProductCodeFieldBytes];
        const std::u16string path =
            Write("@PJL COMMENT VERSION:"s + name + "=x\r" + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
        EXPECT_TRUE(ValidateBackupFile(path, field));
    }
}

TEST_F(BackupFileTest, NameAndExtensionAreNotExamined) {
    const std::string content = kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n";
    for (const char* name : {"book.rvk", "book.txt", "book", ".hidden", "two.dots.RVK"}) {
        SCOPED_TRACE(name);
        char field[kProductCodeFieldBytes];
        const std::u16string path = Write(content, name);
        EXPECT_TRUE(BackupFileExists(path));
        EXPECT_TRUE(ValidateBackupFile(path, field));
        EXPECT_TRUE(CheckProductCode(field));
    }
}

TEST_F(BackupFileTest, UnopenableAndUnsizedFiles) {
    char field[kProductCodeFieldBytes];
    const std::u16string empty = Write("");
    EXPECT_TRUE(BackupFileExists(empty)) << "an empty file exists";
    EXPECT_FALSE(ValidateBackupFile(empty, field)) << "but is refused by the content check";

    const struct {
        const char* why;
        std::u16string path;
    } missing[] = {
        {"no such file", NarrowToWide(m_dir.FilePath("absent.rvk"))},
        {"a directory", NarrowToWide(m_dir.Path())},
        {"empty path", std::u16string()},
        {"embedded NUL", NarrowToWide(m_dir.FilePath("book.rvk")) + u'\0' + u"x"},
    };
    Write(kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
    for (const auto& c : missing) {
        SCOPED_TRACE(c.why);
        EXPECT_FALSE(BackupFileExists(c.path));
        EXPECT_FALSE(ValidateBackupFile(c.path, field));
    }
}

TEST_F(BackupFileTest, RefusesFilesOfFourGibibytesOrMore) {
    // A sparse file: the length is refused before any buffer is taken.
    const std::u16string path = Write(kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
    ASSERT_TRUE(SetSparseLength(WideToNarrow(path), uint64_t{1} << 32));
    char field[kProductCodeFieldBytes];
    EXPECT_TRUE(BackupFileExists(path));
    AllocationHook::Reset();
    EXPECT_FALSE(ValidateBackupFile(path, field));
    EXPECT_EQ(AllocationHook::Count(), 0);
}

TEST_F(BackupFileTest, OutOfMemoryShowsTheNoticeAndRefuses) {
    MessageBoxRecorder recorder;
    const std::u16string path = Write(kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
    char field[kProductCodeFieldBytes];
    AllocationHook::FailNth(1);
    EXPECT_FALSE(ValidateBackupFile(path, field));
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Boxes().front().caption, u"Out of Memory");
}

TEST_F(BackupFileTest, FileLockedByAnotherProgramDoesNotOpen) {
    const std::u16string path = Write(kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
    char field[kProductCodeFieldBytes];
    HeldFile other(WideToNarrow(path), HeldFile::Holder::kChildProcess);
    ASSERT_TRUE(other.Held()) << "could not hold the file in another program";
    EXPECT_FALSE(BackupFileExists(path));
    EXPECT_FALSE(ValidateBackupFile(path, field));

    other.Release();
    EXPECT_TRUE(BackupFileExists(path)) << "the lock ends with the other program";
    EXPECT_TRUE(ValidateBackupFile(path, field));
}

TEST_F(BackupFileTest, AnOpenFileIsNotShared) {
    const std::u16string path = Write(kMarker + kKeyword + "\r\nMERIN-AIO-QTB \r\n");
    ExclusiveFile holder;
    ASSERT_TRUE(holder.Open(path));
    EXPECT_FALSE(BackupFileExists(path)) << "a second open of the same file is refused";
    // A writer arriving meanwhile is turned away (it would wait), and this process lives on.
    EXPECT_TRUE(WriterTurnedAway(WideToNarrow(path)));
    holder.Close();
    EXPECT_TRUE(BackupFileExists(path));
}

} // namespace
