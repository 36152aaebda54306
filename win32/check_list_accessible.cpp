#include "win32/check_list_accessible.h"

// The annotation's identifiers are defined here, once.
#include <initguid.h>

#include <oleacc.h>

#include "win32/window_text.h"

namespace {

// The property set for one row; the service keeps its own copies.
void SetRowProperty(IAccPropServices* services, HWND list, int row, const MSAAPROPID& property,
                    VARIANT value) {
    // A list's rows are its children 1 to n.
    services->SetHwndProp(list, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(row + 1),
                          property, value);
}

} // namespace

CheckListAccessible::CheckListAccessible() {
    // Without the service (no COM in this thread, an older system) rows stay plain list items.
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services)))
        m_services = static_cast<IAccPropServices*>(services);
}

CheckListAccessible::~CheckListAccessible() {
    if (m_services != nullptr)
        m_services->Release();
}

void CheckListAccessible::AnnotateRow(HWND list, int row, const std::u16string& name, bool ticked,
                                      bool locked) {
    if (m_services == nullptr)
        return;
    VARIANT role{};
    role.vt = VT_I4;
    role.lVal = ROLE_SYSTEM_CHECKBUTTON;
    SetRowProperty(m_services, list, row, PROPID_ACC_ROLE, role);

    VARIANT state{};
    state.vt = VT_I4;
    state.lVal = STATE_SYSTEM_FOCUSABLE | (ticked ? STATE_SYSTEM_CHECKED : 0) |
                 (locked ? STATE_SYSTEM_UNAVAILABLE : 0);
    SetRowProperty(m_services, list, row, PROPID_ACC_STATE, state);

    VARIANT text{};
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocStringLen(WideChars(name), static_cast<UINT>(name.size()));
    SetRowProperty(m_services, list, row, PROPID_ACC_NAME, text);
    SysFreeString(text.bstrVal);
}
