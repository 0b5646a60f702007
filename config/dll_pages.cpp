#include "config/dll_pages.h"

#include "core/record/engine.h"
#include "textservice/export/exported_object.h"

namespace {

HWND g_openPage = nullptr;

// The module's kind-1 object, or null when the module offers none.
SettingsPageObject* GetPageObject(Engine* engine) {
    if (!engine || !engine->imeModule) return nullptr;
    auto get = reinterpret_cast<GetObjectFunction>(
        reinterpret_cast<void*>(GetProcAddress(engine->imeModule, "KXITFGetObject")));
    if (!get) return nullptr;
    void* object = nullptr;
    if (get(kObjectSettingsPages, &object) != 1 || !object) return nullptr;
    return static_cast<SettingsPageObject*>(object);
}

}  // namespace

HWND OpenDllPage() { return g_openPage && IsWindow(g_openPage) ? g_openPage : nullptr; }

DllPageHost::DllPageHost(int templateId, int dllPage, Engine* engine)
    : Dialog(templateId), dllPage_(dllPage), engine_(engine) {}

bool DllPageHost::OnInitDialog() {
    SettingsPageObject* object = GetPageObject(engine_);
    if (!object) return true;  // the page stays empty
    if (object->create) page_ = object->create(hwnd(), dllPage_, engine_);
    if (object->release) object->release(object);
    if (page_) {
        g_openPage = page_;
        SetWindowPos(page_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    }
    return true;
}

bool DllPageHost::ClosePage(bool apply) {
    if (!page_) return true;
    SettingsPageObject* object = GetPageObject(engine_);
    if (!object) return true;
    int closed = object->destroy ? object->destroy(apply ? 1 : 0) : 1;
    if (object->release) object->release(object);
    if (!closed) return false;
    if (g_openPage == page_) g_openPage = nullptr;
    page_ = nullptr;
    return true;
}

void DllPageHost::OnDestroy() {
    // Applied when it can be; a page that refuses is closed without storing.
    if (!ClosePage(true)) ClosePage(false);
}
