#include "text/notices.h"

#include "platform/message_box.h"
#include "text/string_ids.h"
#include "text/string_table.h"

#include <string>

namespace {

WindowHandle g_mainWindow = nullptr;

// Shows a notice that offers to go on when more printers follow; only OK goes on.
bool AskToContinue(const std::u16string& text, const std::u16string& caption, bool moreFollow) {
    if (!moreFollow) {
        MessageBoxExW(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
        return false;
    }
    return MessageBoxExW(nullptr, text, caption, MB_OKCANCEL | MB_ICONEXCLAMATION | MB_TASKMODAL) ==
           IDOK;
}

} // namespace

void ShowInvalidCommunityName() {
    MessageBoxExW(nullptr, ResString(IDS_INVALID_COMMUNITY),
                  ResString(IDS_VERIFY_COMMUNITY_CAPTION), MB_OK | MB_ICONHAND | MB_TASKMODAL);
}

void ShowFieldTooLong(int maxChars) {
    std::u16string text = ResString(AFX_IDP_PARSE_STRING_SIZE);
    const std::string count = std::to_string(maxChars);
    if (const size_t at = text.find(u"%1"); at != std::u16string::npos)
        text.replace(at, 2, std::u16string(count.begin(), count.end()));
    AppMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

void ShowFileNotHandedOver(const std::u16string& path) {
    std::u16string text = ResString(IDS_FILE_NOT_HANDED_OVER);
    if (const size_t at = text.find(u"%1"); at != std::u16string::npos)
        text.replace(at, 2, path);
    AppMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

int ShowOutOfMemory() {
    return MessageBoxExW(nullptr, u"Out of Memory.\r\nProgram will be terminated.",
                         u"Out of Memory", MB_OK | MB_ICONEXCLAMATION);
}

bool ShowSendFailure(bool connected, const std::u16string& label, bool moreFollow) {
    const std::u16string reason =
        ResString(connected ? IDS_COMMUNICATION_ERROR : IDS_CHECK_CONNECTION);
    std::u16string text;
    if (!label.empty()) {
        text = ResString(IDS_UPDATE_FAILED_PRINTER) + label + reason;
        if (moreFollow)
            text += ResString(IDS_CLICK_OK_NEXT);
    } else {
        text = ResString(IDS_UPDATE_FAILED) + reason;
    }
    return AskToContinue(text, ResString(IDS_SEND_ERROR_CAPTION), moreFollow);
}

bool ShowUpdateInterrupted(const std::u16string& label, bool moreFollow) {
    std::u16string text;
    if (!label.empty()) {
        text = ResString(IDS_UPDATE_INTERRUPTED_PRINTER) + label;
        if (moreFollow)
            text += ResString(IDS_CLICK_OK_NEXT);
    } else {
        text = ResString(IDS_UPDATE_CANCELED);
    }
    return AskToContinue(text, ResString(IDS_CANCELING_CAPTION), moreFollow);
}

void ShowBadUpdateFile() {
    MessageBoxExW(nullptr, ResString(IDS_CHECK_UPDATE_FILE), ResString(IDS_SEND_ERROR_CAPTION),
                  MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

bool ReportPrinterResult(ResultCode code, bool connected, const std::u16string& label,
                         bool moreFollow, bool* continueRun) {
    switch (code) {
    case kResultCancelled:
        *continueRun = ShowUpdateInterrupted(label, moreFollow);
        return true;
    case kResultNetworkFailure:
        *continueRun = ShowSendFailure(connected, label, moreFollow);
        return true;
    case kResultOutOfMemory:
        ShowOutOfMemory();
        return false;
    default:
        return true;
    }
}

int AppMessageBox(const std::u16string& text, unsigned flags) {
    if ((flags & MB_ICONMASK) == 0)
        flags |= (flags & MB_TYPEMASK) == MB_YESNO ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
    return MessageBoxExW(g_mainWindow, text, ResString(AFX_IDS_APP_TITLE), flags);
}

int AppMessageBox(uint16_t stringId, unsigned flags) {
    return AppMessageBox(ResString(stringId), flags);
}

void SetAppMainWindow(WindowHandle window) {
    g_mainWindow = window;
}

WindowHandle AppMainWindow() {
    return g_mainWindow;
}
