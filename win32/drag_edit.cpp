#include "win32/drag_edit.h"

#include "win32/window_text.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {
constexpr UINT_PTR kSubclassId = 1;
} // namespace

CDragEdit::~CDragEdit() {
    if (m_hWnd != nullptr)
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
}

void CDragEdit::Attach(HWND edit) {
    m_hWnd = edit;
    SetWindowSubclass(edit, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void CDragEdit::OnDropFiles(HDROP drop) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, 0, path.data(), length + 1);
    path.resize(length);
    TakePath(CoreText(path.c_str()));
}

bool CDragEdit::TakePath(std::u16string_view path) {
    if ((GetWindowLongW(m_hWnd, GWL_STYLE) & ES_READONLY) != 0)
        return false;
    // The field's typing limit does not apply to text the program puts in.
    SetWindowTextOf(m_hWnd, path);
    return true;
}

LRESULT CALLBACK CDragEdit::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    if (message == WM_DROPFILES) {
        auto drop = reinterpret_cast<HDROP>(wParam);
        reinterpret_cast<CDragEdit*>(self)->OnDropFiles(drop);
        DragFinish(drop);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
