#include "win32/check_list_accessible.h"

// The annotation's identifiers are defined here, once.
#include <initguid.h>

#include <oleacc.h>

#include "printers/printer_table.h"
#include "win32/window_text.h"

#include <atomic>
#include <iterator>

namespace {

const MSAAPROPID kRowProperties[] = {PROPID_ACC_ROLE, PROPID_ACC_NAME, PROPID_ACC_STATE};

// A list's rows are its children 1 to n.
DWORD ChildOf(int row) {
    return static_cast<DWORD>(row + 1);
}

} // namespace

LONG AccessibleRowState(const AccessibleRow& row) {
    LONG state = STATE_SYSTEM_FOCUSABLE;
    if (IsTickedState(row.tickState))
        state |= STATE_SYSTEM_CHECKED;
    if (IsLockedState(row.tickState))
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (row.focused)
        state |= STATE_SYSTEM_FOCUSED;
    return state;
}

// The callback the annotation service asks for one row's role, name and state. The service
// holds it by reference count, so it may outlive the list: once detached it answers nothing.
// A COM object is deleted by its own Release, never through its interface, which has no
// virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CheckListAccessible::RowServer final : public IAccPropServer {
  public:
    RowServer(const AccessibleRows* rows, int row) : m_rows(rows), m_row(row) {}

    void Detach() { m_rows = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAccPropServer)) {
            *object = static_cast<IAccPropServer*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // The identity is always this server's row: it is registered for that row alone.
    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE*, DWORD, MSAAPROPID property, VARIANT* value,
                                           BOOL* hasProperty) override {
        if (value == nullptr || hasProperty == nullptr)
            return E_POINTER;
        VariantInit(value);
        *hasProperty = FALSE;
        if (m_rows == nullptr || m_row >= m_rows->AccessibleRowCount())
            return S_OK;
        const AccessibleRow shown = m_rows->AccessibleRowAt(m_row);
        if (IsEqualGUID(property, PROPID_ACC_ROLE)) {
            value->vt = VT_I4;
            value->lVal = ROLE_SYSTEM_CHECKBUTTON;
        } else if (IsEqualGUID(property, PROPID_ACC_STATE)) {
            value->vt = VT_I4;
            value->lVal = AccessibleRowState(shown);
        } else if (IsEqualGUID(property, PROPID_ACC_NAME)) {
            value->vt = VT_BSTR;
            value->bstrVal =
                SysAllocStringLen(WideChars(shown.name), static_cast<UINT>(shown.name.size()));
        } else {
            return S_OK;
        }
        *hasProperty = TRUE;
        return S_OK;
    }

  private:
    ~RowServer() = default;

    const AccessibleRows* m_rows;
    const int m_row;
    std::atomic<ULONG> m_references{1};
};
#pragma GCC diagnostic pop

CheckListAccessible::CheckListAccessible() {
    // Without the service (no COM in this thread, an older system) rows stay plain list items.
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services)))
        m_services = static_cast<IAccPropServices*>(services);
}

CheckListAccessible::~CheckListAccessible() {
    Detach();
    if (m_services != nullptr)
        m_services->Release();
}

void CheckListAccessible::Annotate(HWND list, const AccessibleRows* rows) {
    Detach();
    if (m_services == nullptr)
        return;
    m_list = list;
    for (int row = 0; row < rows->AccessibleRowCount(); ++row) {
        m_servers.push_back(new RowServer(rows, row));
        m_services->SetHwndPropServer(list, static_cast<DWORD>(OBJID_CLIENT), ChildOf(row),
                                      kRowProperties, static_cast<int>(std::size(kRowProperties)),
                                      m_servers.back(), ANNO_THIS);
    }
}

void CheckListAccessible::Detach() {
    for (size_t row = 0; row < m_servers.size(); ++row) {
        if (IsWindow(m_list))
            m_services->ClearHwndProps(m_list, static_cast<DWORD>(OBJID_CLIENT),
                                       ChildOf(static_cast<int>(row)), kRowProperties,
                                       static_cast<int>(std::size(kRowProperties)));
        m_servers[row]->Detach();
        m_servers[row]->Release();
    }
    m_servers.clear();
    m_list = nullptr;
}

VARIANT CheckListAccessible::RowProperty(int row, const MSAAPROPID& property) const {
    VARIANT value{};
    BOOL hasProperty = FALSE;
    if (row >= 0 && row < static_cast<int>(m_servers.size()))
        m_servers[static_cast<size_t>(row)]->GetPropValue(nullptr, 0, property, &value,
                                                          &hasProperty);
    return value;
}
