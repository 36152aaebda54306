#include "platform/message_box.h"
#include "tests/support/message_box_recorder.h"
#include "text/notices.h"

#include <gtest/gtest.h>

namespace {

const QString kFailedPrinter =
    QStringLiteral("Printer Update failed.") + QString(22, u' ') + QStringLiteral("\r\nPrinter:");
const QString kFailedNoLabel =
    QStringLiteral("Printer Update failed.") + QString(20, u' ') + QStringLiteral("\r\n");
const QString kCommunication = QStringLiteral("\r\nCommunication error.");
const QString kCheckConnection = QStringLiteral("\r\nCheck the printer connection.");
const QString kNext =
    QStringLiteral("\r\n\r\nClick OK to update the next printer or Cancel to end all processing.");
const QString kSendCaption = QStringLiteral("Error occurs while sending the data.");
const QString kCancelCaption = QStringLiteral("Canceling Update...");

struct SendFailureCase {
    const char* why;
    bool connected;
    QString label;
    bool moreFollow;
    QString text;
};

TEST(SendFailureNotice, ComposesTextAndButtons) {
    const SendFailureCase cases[] = {
        {"connected, labelled, last printer", true, "10.0.0.5", false,
         kFailedPrinter + "10.0.0.5" + kCommunication},
        {"not connected, labelled, last printer", false, "10.0.0.5", false,
         kFailedPrinter + "10.0.0.5" + kCheckConnection},
        {"connected, labelled, more follow", true, "10.0.0.5", true,
         kFailedPrinter + "10.0.0.5" + kCommunication + kNext},
        {"not connected, labelled, more follow", false, "10.0.0.5", true,
         kFailedPrinter + "10.0.0.5" + kCheckConnection + kNext},
        {"connected, no label: never the next-printer sentence", true, "", true,
         kFailedNoLabel + kCommunication},
        {"not connected, no label, more follow", false, "", true,
         kFailedNoLabel + kCheckConnection},
        {"not connected, no label, last", false, "", false, kFailedNoLabel + kCheckConnection},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MessageBoxRecorder recorder;
        ShowSendFailure(c.connected, c.label, c.moreFollow);
        ASSERT_EQ(recorder.Count(), 1u);
        const auto box = recorder.Boxes().front();
        EXPECT_EQ(box.caption, kSendCaption);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.owner, nullptr);
        const unsigned buttons = c.moreFollow ? MB_OKCANCEL : MB_OK;
        EXPECT_EQ(box.flags, buttons | MB_ICONEXCLAMATION | MB_TASKMODAL);
    }
}

TEST(UpdateInterruptedNotice, ComposesTextAndButtons) {
    const struct {
        const char* why;
        QString label;
        bool moreFollow;
        QString text;
    } cases[] = {
        {"labelled, last", "10.1.2.3", false, "Printer Update interrupted.\r\nPrinter:10.1.2.3"},
        {"labelled, more follow", "10.1.2.3", true,
         "Printer Update interrupted.\r\nPrinter:10.1.2.3" + kNext},
        {"no label, last", "", false, "Update canceled."},
        {"no label still offers OK and Cancel", "", true, "Update canceled."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MessageBoxRecorder recorder;
        ShowUpdateInterrupted(c.label, c.moreFollow);
        ASSERT_EQ(recorder.Count(), 1u);
        const auto box = recorder.Boxes().front();
        EXPECT_EQ(box.caption, kCancelCaption);
        EXPECT_EQ(box.text, c.text);
        const unsigned buttons = c.moreFollow ? MB_OKCANCEL : MB_OK;
        EXPECT_EQ(box.flags, buttons | MB_ICONEXCLAMATION | MB_TASKMODAL);
    }
}

TEST(ContinueAnswer, OnlyOkWithMorePrintersContinues) {
    const struct {
        const char* why;
        bool moreFollow;
        int answer;
        bool expected;
    } cases[] = {
        {"OK with more printers", true, IDOK, true},
        {"Cancel with more printers", true, IDCANCEL, false},
        {"OK on the last printer", false, IDOK, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MessageBoxRecorder recorder;
        recorder.Answer(c.answer);
        recorder.Answer(c.answer);
        EXPECT_EQ(ShowSendFailure(true, "1.2.3.4", c.moreFollow), c.expected);
        EXPECT_EQ(ShowUpdateInterrupted("1.2.3.4", c.moreFollow), c.expected);
    }
}

TEST(ReportPrinterResult, DispatchesEveryCode) {
    const struct {
        int code;
        int answer;
        bool proceed;
        bool continueRun; // value after the call; starts true
        size_t boxes;
        const char* caption;
    } cases[] = {
        {0, IDOK, true, true, 0, ""},
        {1, IDOK, true, true, 0, ""},
        {2, IDCANCEL, true, false, 1, "Canceling Update..."},
        {2, IDOK, true, true, 1, "Canceling Update..."},
        {3, IDOK, true, true, 0, ""},
        {4, IDCANCEL, true, false, 1, "Error occurs while sending the data."},
        {4, IDOK, true, true, 1, "Error occurs while sending the data."},
        {5, IDOK, false, true, 1, "Out of Memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " answer " << c.answer);
        MessageBoxRecorder recorder;
        recorder.Answer(c.answer);
        bool continueRun = true;
        EXPECT_EQ(ReportPrinterResult(static_cast<ResultCode>(c.code), false, "10.0.0.1", true,
                                      &continueRun),
                  c.proceed);
        EXPECT_EQ(continueRun, c.continueRun);
        ASSERT_EQ(recorder.Count(), c.boxes);
        if (c.boxes == 1) {
            EXPECT_EQ(recorder.Boxes().front().caption, c.caption);
        }
    }
}

TEST(ReportPrinterResult, FailedSearchShowsOkOnlyWithoutLabel) {
    MessageBoxRecorder recorder;
    bool continueRun = true;
    EXPECT_TRUE(ReportPrinterResult(kResultNetworkFailure, false, QString(), false, &continueRun));
    EXPECT_FALSE(continueRun);
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.text, kFailedNoLabel + kCheckConnection);
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

TEST(OutOfMemoryNotice, IsNotTaskModal) {
    MessageBoxRecorder recorder;
    ShowOutOfMemory();
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.caption, "Out of Memory");
    EXPECT_EQ(box.text, "Out of Memory.\r\nProgram will be terminated.");
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST(BadUpdateFileNotice, UsesItsCaptionAndText) {
    MessageBoxRecorder recorder;
    ShowBadUpdateFile();
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.caption, kSendCaption);
    EXPECT_EQ(box.text, "Please check the update file." + QString(20, u' ') +
                            "\r\nProgram will be terminate.");
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

TEST(AppMessageBox, AddsCaptionOwnerAndDefaultIcon) {
    int owner = 0;
    auto* window = reinterpret_cast<QWidget*>(&owner);
    SetAppMainWindow(window);
    MessageBoxRecorder recorder;
    AppMessageBox(141, MB_OK);
    AppMessageBox(138, MB_YESNO);
    AppMessageBox(QStringLiteral("x"), MB_OKCANCEL);
    AppMessageBox(QStringLiteral("y"), MB_OK | MB_ICONHAND);
    SetAppMainWindow(nullptr);
    const auto boxes = recorder.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, "Tolvane");
        EXPECT_EQ(box.owner, window);
    }
    EXPECT_EQ(boxes[0].text, "Please select printer(s) from the printer list.");
    EXPECT_EQ(boxes[0].flags, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[1].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes[2].flags, MB_OKCANCEL | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[3].flags, MB_OK | MB_ICONHAND);
}

} // namespace
