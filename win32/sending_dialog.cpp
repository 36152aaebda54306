#include "win32/sending_dialog.h"

#include "text/string_ids.h"
#include "win32/resource.h"
#include "win32/window_text.h"

namespace {
constexpr UINT_PTR kJobTimer = 1;
} // namespace

CSending::CSending() : CDialog(IDD_SENDING) {}

BOOL CSending::OnInitDialog() {
    SetWindowTextOf(m_hWnd, LoadResourceString(IDS_SENDING_TITLE));
    SetWindowTextOf(Item(IDCANCEL), LoadResourceString(IDS_SENDING_CANCEL));
    // A job that cannot start ends here, before the dialog shows.
    m_job.Initialise(this);
    return TRUE;
}

void CSending::OnCancel() {
    m_job.Cancel();
}

bool CSending::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message != WM_TIMER || wParam != kJobTimer)
        return false;
    m_job.Tick();
    *result = 0;
    return true;
}

void CSending::ShowStatusText(const std::u16string& text) {
    SetWindowTextOf(Item(IDC_STATUS_TEXT), text);
}

void CSending::SetProgressRange(int lower, int upper) {
    SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void CSending::SetProgressPosition(int position) {
    SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CSending::StartTimer() {
    SetTimer(m_hWnd, kJobTimer, kDeliveryTickMs, nullptr);
}

void CSending::StopTimer() {
    KillTimer(m_hWnd, kJobTimer);
}

void CSending::CloseWithOk() {
    EndDialog(IDOK);
}
