#include "platform/message_box.h"
#include "tests/support/message_box_recorder.h"
#include "text/notices.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::u16string kFailedPrinter =
    u"Printer Update failed." + std::u16string(22, u' ') + u"\r\nPrinter:";
const std::u16string kFailedNoLabel =
    u"Printer Update failed." + std::u16string(20, u' ') + u"\r\n";
const std::u16string kCommunication = u"\r\nCommunication error.";
const std::u16string kCheckConnection = u"\r\nCheck the printer connection.";
const std::u16string kNext =
    u"\r\n\r\nClick OK to update the next printer or Cancel to end all processing.";
const std::u16string kSendCaption = u"Error occurs while sending the data.";
const std::u16string kCancelCaption = u"Canceling Update...";

struct SendFailureCase {
    const char* why;
    bool connected;
    std::u16string label;
    bool moreFollow;
    std::u16string text;
};

TEST(SendFailureNotice, ComposesTextAndButtons) {
    const SendFailureCase cases[] = {
        {"connected, labelled, last printer", true, u"10.0.0.5", false,
         kFailedPrinter + u"10.0.0.5" + kCommunication},
        {"not connected, labelled, last printer", false, u"10.0.0.5", false,
         kFailedPrinter + u"10.0.0.5" + kCheckConnection},
        {"connected, labelled, more follow", true, u"10.0.0.5", true,
         kFailedPrinter + u"10.0.0.5" + kCommunication + kNext},
        {"not connected, labelled, more follow", false, u"10.0.0.5", true,
         kFailedPrinter + u"10.0.0.5" + kCheckConnection + kNext},
        {"connected, no label: never the next-printer sentence", true, u"", true,
         kFailedNoLabel + kCommunication},
        {"not connected, no label, more follow", false, u"", true,
         kFailedNoLabel + kCheckConnection},
        {"not connected, no label, last", false, u"", false, kFailedNoLabel + kCheckConnection},
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
        std::u16string label;
        bool moreFollow;
        std::u16string text;
    } cases[] = {
        {"labelled, last", u"10.1.2.3", false, u"Printer Update interrupted.\r\nPrinter:10.1.2.3"},
        {"labelled, more follow", u"10.1.2.3", true,
         u"Printer Update interrupted.\r\nPrinter:10.1.2.3" + kNext},
        {"no label, last", u"", false, u"Update canceled."},
        {"no label still offers OK and Cancel", u"", true, u"Update canceled."},
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
        EXPECT_EQ(ShowSendFailure(true, u"1.2.3.4", c.moreFollow), c.expected);
        EXPECT_EQ(ShowUpdateInterrupted(u"1.2.3.4", c.moreFollow), c.expected);
    }
}

TEST(ReportPrinterResult, DispatchesEveryCode) {
    const struct {
        int code;
        int answer;
        bool proceed;
        bool continueRun; // value after the call; starts true
        size_t boxes;
        const char16_t* caption;
    } cases[] = {
        {0, IDOK, true, true, 0, u""},
        {1, IDOK, true, true, 0, u""},
        {2, IDCANCEL, true, false, 1, u"Canceling Update..."},
        {2, IDOK, true, true, 1, u"Canceling Update..."},
        {3, IDOK, true, true, 0, u""},
        {4, IDCANCEL, true, false, 1, u"Error occurs while sending the data."},
        {4, IDOK, true, true, 1, u"Error occurs while sending the data."},
        {5, IDOK, false, true, 1, u"Out of Memory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " answer " << c.answer);
        MessageBoxRecorder recorder;
        recorder.Answer(c.answer);
        bool continueRun = true;
        EXPECT_EQ(ReportPrinterResult(static_cast<ResultCode>(c.code), false, u"10.0.0.1", true,
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
    EXPECT_TRUE(
        ReportPrinterResult(kResultNetworkFailure, false, std::u16string(), false, &continueRun));
    EXPECT_FALSE(continueRun);
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.text, kFailedNoLabel + kCheckConnection);
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

TEST(OutOfMemoryNotice, IsNotTaskModal) {
    MessageBoxRecorder recorder;
    ShowOutOfMemory();
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.caption, u"Out of Memory");
    EXPECT_EQ(box.text, u"Out of Memory.\r\nProgram will be terminated.");
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION);
}

TEST(BadUpdateFileNotice, UsesItsCaptionAndText) {
    MessageBoxRecorder recorder;
    ShowBadUpdateFile();
    const auto box = recorder.Boxes().at(0);
    EXPECT_EQ(box.caption, kSendCaption);
    EXPECT_EQ(box.text, u"Please check the update file." + std::u16string(20, u' ') +
                            u"\r\nProgram will be terminate.");
    EXPECT_EQ(box.flags, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

TEST(AppMessageBox, AddsCaptionOwnerAndDefaultIcon) {
    int owner = 0;
    const WindowHandle window = &owner;
    SetAppMainWindow(window);
    MessageBoxRecorder recorder;
    AppMessageBox(141, MB_OK);
    AppMessageBox(138, MB_YESNO);
    AppMessageBox(u"x", MB_OKCANCEL);
    AppMessageBox(u"y", MB_OK | MB_ICONHAND);
    SetAppMainWindow(nullptr);
    const auto boxes = recorder.Boxes();
    ASSERT_EQ(boxes.size(), 4u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, u"Tolvane");
        EXPECT_EQ(box.owner, window);
    }
    EXPECT_EQ(boxes[0].text, u"Please select printer(s) from the printer list.");
    EXPECT_EQ(boxes[0].flags, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[1].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(boxes[2].flags, MB_OKCANCEL | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes[3].flags, MB_OK | MB_ICONHAND);
}

} // namespace
