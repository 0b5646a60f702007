#include "installer/register/tip_categories.h"

#include "textservice/com_ptr.h"
#include "textservice/tsf/tsf_compat.h"

const TipCategory kTipCategories[8] = {
    {&GUID_TFCAT_TIP_KEYBOARD, false},
    {&GUID_TFCAT_DISPLAYATTRIBUTEPROVIDER, false},
    {&GUID_TFCAT_TIPCAP_SECUREMODE, false},
    {&GUID_TFCAT_TIPCAP_UIELEMENTENABLED, false},
    {&GUID_TFCAT_TIPCAP_INPUTMODECOMPARTMENT, false},
    {&GUID_TFCAT_TIPCAP_COMLESS, false},
    {&GUID_TFCAT_TIPCAP_IMMERSIVESUPPORT, true},
    {&GUID_TFCAT_TIPCAP_SYSTRAYSUPPORT, true},
};

bool RegisterTipCategories(InstallEnvironment& env, REFCLSID clsid, REFGUID item) {
    ComPtr<ITfCategoryMgr> mgr;
    if (FAILED(env.CreateCategoryMgr(mgr.put())) || !mgr) return false;
    bool windows8 = env.WindowsVersion() >= kWindows8;
    for (const TipCategory& c : kTipCategories) {
        if (c.fromWindows8 && !windows8) continue;
        if (FAILED(mgr->RegisterCategory(clsid, *c.guid, item))) return false;
    }
    return true;
}

void UnregisterTipCategories(InstallEnvironment& env, REFCLSID clsid, REFGUID item) {
    ComPtr<ITfCategoryMgr> mgr;
    if (FAILED(env.CreateCategoryMgr(mgr.put())) || !mgr) return;
    for (const TipCategory& c : kTipCategories) mgr->UnregisterCategory(clsid, *c.guid, item);
}
