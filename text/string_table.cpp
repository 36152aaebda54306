#include "text/string_table.h"

#include "text/string_ids.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

struct StringEntry {
    uint16_t id;
    std::u16string_view text;
};

// The one (English) table. Runs of spaces and the \r\n line breaks are part of the texts.
constexpr StringEntry kStringTable[] = {
    {IDS_ABOUTBOX, u"&About Tolvane..."},
    {IDS_SEND_ERROR_CAPTION, u"Error occurs while sending the data."},
    {IDS_SOCKET_INIT_FAILED, u"Failed initialize of Windows socket."},
    {IDS_UPDATE_FAILED_PRINTER, u"Printer Update failed.                      \r\nPrinter:"},
    {IDS_COMMUNICATION_ERROR, u"\r\nCommunication error."},
    {IDS_CLICK_OK_NEXT,
     u"\r\n\r\nClick OK to update the next printer or Cancel to end all processing."},
    {IDS_UPDATE_FAILED, u"Printer Update failed.                    \r\n"},
    {IDS_CHECK_CONNECTION, u"\r\nCheck the printer connection."},
    {IDS_CANCELING_CAPTION, u"Canceling Update..."},
    {IDS_UPDATE_INTERRUPTED_PRINTER, u"Printer Update interrupted.\r\nPrinter:"},
    {IDS_UPDATE_CANCELED, u"Update canceled."},
    {IDS_CHECK_UPDATE_FILE,
     u"Please check the update file.                    \r\nProgram will be terminate."},
    {IDS_VERIFY_COMMUNITY_CAPTION, u"Verify the Community Name."},
    {IDS_INVALID_COMMUNITY,
     u"Invalid characters in the Community Name. Only alphabets, numbers, \"\"-\"\" (hyphen) "
     u"and \"\"_\"\" (underscore) can be used."},
    {IDS_COLUMN_IP_ADDRESS, u"IP Address"},
    {IDS_COLUMN_PRINTER_NAME, u"Printer Name"},
    {IDS_COLUMN_STATUS, u"Status"},
    {IDS_STATUS_NOT_COMPLETED, u"Not completed"},
    {IDS_STATUS_SENT_1, u"Sent"},
    {IDS_STATUS_UPDATING, u"Updating..."},
    {IDS_STATUS_SENT, u"Sent"},
    {IDS_STATUS_FAILED, u"Failed"},
    {IDS_SENDING_TITLE, u"Sending..."},
    {IDS_SENDING_CANCEL, u"Cancel"},
    {IDS_SENDING_PRINTER, u"Sending Backup Data\r\nPrinter:"},
    {IDS_COLUMN_SELECT, u"  Select"},
    {IDS_CHECKED, u"Checked"},
    {IDS_UNCHECKED, u"Unchecked"},
    {IDS_CONFIRM_SEND, u"Are you sure to send the backup file to the selected printer(s)?"},
    {IDS_ENTER_FILE_NAME, u"Enter the backup file name."},
    {IDS_NOT_BACKUP_FILE, u"This file is not the backup file. Please verify the file."},
    {IDS_SELECT_PRINTERS, u"Please select printer(s) from the printer list."},
    {IDS_FILE_NOT_EXIST, u"Backup File does not exist. Please verify the file."},
    {IDS_FILE_NOT_HANDED_OVER, u"Tolvane is already running but did not take the file\r\n%1\r\n\r\n"
                               u"Open the file from the running window."},
    {IDS_MODEL_LIST, u"Korvil 2950MFP-D,Korvil 2950MFP-N"},
    {IDS_BACKUP_EXTENSION, u"rvk"},
    {IDS_BACKUP_FILTER, u"Backup File for Korvil 2950MFP(*.rvk)|*.rvk|All Files (*.*)|*.*||"},
    {IDS_WINDOW_CLASS, u"Tolvane_Korvil_2950MFP"},
    {IDS_PRODUCT_CODE, u"MERIN-AIO-QTB"},
    {IDS_VERSION_LINE, u"Tolvane for Korvil 2950MFP Address Book Version 0.2.1"},
    {IDS_MAIN_TITLE, u"Tolvane for Korvil 2950MFP Address Book"},
    {AFX_IDS_APP_TITLE, u"Tolvane"},
    {AFX_IDP_PARSE_STRING_SIZE, u"Please enter no more than %1 characters."},
};

const StringEntry* FindEntry(uint16_t id) {
    const auto* found = std::find_if(std::begin(kStringTable), std::end(kStringTable),
                                     [id](const StringEntry& entry) { return entry.id == id; });
    return found == std::end(kStringTable) || found->text.empty() ? nullptr : found;
}

} // namespace

int LoadResString(uint16_t id, char16_t* buffer) {
    const StringEntry* entry = FindEntry(id);
    if (entry == nullptr)
        return 0;
    const size_t length =
        std::min(entry->text.size(), static_cast<size_t>(kResStringBufferUnits - 1));
    std::copy_n(entry->text.data(), length, buffer);
    buffer[length] = u'\0';
    return static_cast<int>(length);
}

std::u16string ResString(uint16_t id) {
    char16_t buffer[kResStringBufferUnits];
    const int length = LoadResString(id, buffer);
    return std::u16string(buffer, static_cast<size_t>(length));
}

std::vector<uint16_t> ResStringIds() {
    std::vector<uint16_t> ids;
    for (const StringEntry& entry : kStringTable)
        ids.push_back(entry.id);
    return ids;
}
