// The settings pages the library offers: page number, dialog template and procedure.
#pragma once
#include <windows.h>

struct SettingsPageTemplate {
    int page;
    int templateId;
    DLGPROC procedure;
};

// The page's template, or null for a page number the library does not offer.
const SettingsPageTemplate* FindSettingsPageTemplate(int page);
