#include "textservice/pages/page_templates.h"

#include "textservice/pages/appearance_page.h"
#include "textservice/pages/input_options_page.h"
#include "textservice/pages/page_host.h"
#include "textservice/pages/page_ids.h"

namespace {
const SettingsPageTemplate kPages[] = {
    {kPageInputOptions, IDD_INPUT_OPTIONS_PAGE, InputOptionsPageProc},
    {kPageAppearance, IDD_APPEARANCE_PAGE, AppearancePageProc},
};
}  // namespace

const SettingsPageTemplate* FindSettingsPageTemplate(int page) {
    for (const SettingsPageTemplate& t : kPages)
        if (t.page == page) return &t;
    return nullptr;
}
