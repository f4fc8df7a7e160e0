// Annotates the system's controls for Microsoft Active Accessibility: the
// names, descriptions and values of SetAccessibleTexts become the client
// object's properties through the accessibility property service, and the
// main window's client object becomes a graphic (the painted picture).
#include "platform/Accessibility.h"

#include <initguid.h>
// After <initguid.h>, so that the property identifiers are defined here.
#include <oleacc.h>

#include <map>
#include <string>

namespace {

// The property service, made once on the interface thread; null when COM or
// the service is not available, and then nothing is annotated.
IAccPropServices* Service() {
    static IAccPropServices* service = [] {
        IAccPropServices* made = nullptr;
        const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(started) && started != RPC_E_CHANGED_MODE) return made;
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAccPropServices, reinterpret_cast<void**>(&made))))
            made = nullptr;
        return made;
    }();
    return service;
}

std::wstring Wide(const char* text) {
    if (text == nullptr || text[0] == '\0') return std::wstring();
    const int length = MultiByteToWideChar(1252, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(1252, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

void SetText(IAccPropServices* service, HWND hwnd, const MSAAPROPID& property, const char* text) {
    const std::wstring wide = Wide(text);
    if (wide.empty()) {
        MSAAPROPID one = property;
        service->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, &one, 1);
    } else {
        service->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, property, wide.c_str());
    }
}

}  // namespace

void SetAccessibleTexts(HWND hwnd, const char* name, const char* description, const char* value) {
    IAccPropServices* service = Service();
    if (service == nullptr || hwnd == nullptr) return;
    SetText(service, hwnd, PROPID_ACC_NAME, name);
    SetText(service, hwnd, PROPID_ACC_DESCRIPTION, description);
    SetText(service, hwnd, PROPID_ACC_VALUE, value);
    // The value is the crosshair's place: said when it moves.
    static std::map<HWND, std::string> told;
    const std::string now = value != nullptr ? value : "";
    const bool valueChanged = told[hwnd] != now;
    told[hwnd] = now;
    if (GetParent(hwnd) == nullptr) {
        VARIANT role;
        VariantInit(&role);
        role.vt = VT_I4;
        role.lVal = ROLE_SYSTEM_GRAPHIC;
        service->SetHwndProp(hwnd, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_ROLE, role);
    }
    if (valueChanged) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

void NotifyTextChanged(HWND hwnd) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, CHILDID_SELF);
}
