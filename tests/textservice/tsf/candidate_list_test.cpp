// The candidate-list element on the test host: offered to the framework, drawn by the host or
// handed to the own window, read live from the engine, outliving the service.
#include "textservice/tsf/candidate_list.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include "support/tsf_host/service_fixture.h"
#include "textservice/object_count.h"

using namespace tsf_host;

namespace {

int g_ownWindowCalls = 0;
std::vector<WPARAM> g_notices;

class CandidateList : public testing::Test {
protected:
    CandidateList() {
        g_ownWindowCalls = 0;
        g_notices.clear();
        f.hooks().updateCandidateList = [](CTextService*, TfEditCookie, ITfContext*) {
            ++g_ownWindowCalls;
        };
        InstallCandidateListHooks(f.hooks());
        SetCandidateNotifySeam([](HWND, WPARAM code, LPARAM value) {
            if (value == 1) g_notices.push_back(code);
        });
    }
    ~CandidateList() override { SetCandidateNotifySeam(nullptr); }

    CCandidateList* Element() {
        IUnknown* home = f.service->candidateElement;
        return home ? static_cast<CCandidateList*>(static_cast<ITfTextLayoutSink*>(home)) : nullptr;
    }
    ITfCandidateListUIElementBehavior* Behavior() {
        return static_cast<ITfCandidateListUIElementBehavior*>(Element());
    }
    std::wstring String(UINT index) {
        BSTR text = nullptr;
        EXPECT_EQ(Behavior()->GetString(index, &text), S_OK);
        std::wstring s(text ? text : L"");
        SysFreeString(text);
        return s;
    }

    ServiceFixture f;
};

struct OfferCase {
    const char* name;
    ElementAnswer answer;
    bool beginFails;
    // After typing:
    bool ownWindow;
    int endCalls;  // EndUIElement right after the offer
    int updateCalls;
    int ownWindowCalls;
    int layoutSinks;
};

TEST_F(CandidateList, OfferAnsweredByTheHost) {
    const OfferCase cases[] = {
        {"host draws the list (one update at the offer, one per key)", ElementAnswer::kHostDraws,
         false, false, 0, 4, 0, 0},
        {"host asks for the own window", ElementAnswer::kOwnWindow, false, true, 1, 0, 3, 1},
        {"the offer fails: own window", ElementAnswer::kOwnWindow, true, true, 0, 0, 3, 1},
    };
    for (const OfferCase& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceFixture& g = f;
        g.host->SetElementAnswer(c.answer);
        if (c.beginFails) g.host->Fail("BeginUIElement");
        ASSERT_EQ(g.Activate(), S_OK);
        const int sinksBefore = g.host->AdvisedSinks();
        g_ownWindowCalls = 0;
        g.TypeKeypad("644");
        ASSERT_NE(Element(), nullptr);
        EXPECT_EQ(Element()->ownWindow(), c.ownWindow);
        EXPECT_EQ(g.host->Calls("BeginUIElement"), 1);
        EXPECT_EQ(g.host->Calls("EndUIElement"), c.endCalls);
        EXPECT_EQ(g.host->Calls("UpdateUIElement"), c.updateCalls);
        EXPECT_EQ(g_ownWindowCalls, c.ownWindowCalls);
        EXPECT_EQ(g.host->AdvisedSinks() - sinksBefore, c.layoutSinks);
        // After the immediate end of the own-window path the id is forgotten.
        EXPECT_EQ(Element()->elementId() == kNoElementId, c.ownWindow);
        EXPECT_EQ(g.host->LiveElements(), c.ownWindow ? 0 : 1);
        g.Tap(VK_ESCAPE);  // the composition ends, and the element with it
        EXPECT_EQ(Element(), nullptr);
        EXPECT_EQ(g.host->LiveElements(), 0);
        EXPECT_EQ(g.host->AdvisedSinks(), sinksBefore);
        g.service->Deactivate();
        g.host->ClearFailures();
        g.host = std::make_unique<Host>();
        g.host->SetElementAnswer(ElementAnswer::kOwnWindow);
    }
}

TEST_F(CandidateList, GettersReadTheEngineLive) {
    f.host->SetElementAnswer(ElementAnswer::kHostDraws);
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    ASSERT_NE(Element(), nullptr);
    Engine* e = f.service->engine();
    // 23 candidates, pages of 5, the third page shown with its second row highlighted.
    e->candidateCount = 23;
    e->page.pageSize = 5;
    e->page.pageStart = 10;
    e->page.rowCount = 5;
    e->page.highlight = 1;
    for (int r = 0; r < 5; ++r) {
        e->page.rowText[r].length = 2;
        e->page.rowText[r].text[0] = L'词';
        e->page.rowText[r].text[1] = static_cast<wchar_t>(L'0' + r);
    }
    ITfCandidateListUIElementBehavior* b = Behavior();
    UINT count = 0, selection = 0, page = 0;
    EXPECT_EQ(b->GetCount(&count), S_OK);
    EXPECT_EQ(count, 23u);
    EXPECT_EQ(b->GetSelection(&selection), S_OK);
    EXPECT_EQ(selection, 11u);
    EXPECT_EQ(b->GetCurrentPage(&page), S_OK);
    EXPECT_EQ(page, 2u);
    UINT pages = 0, starts[8] = {};
    EXPECT_EQ(b->GetPageIndex(nullptr, 0, &pages), S_OK);
    EXPECT_EQ(pages, 5u);
    EXPECT_EQ(b->GetPageIndex(starts, 5, &pages), S_OK);
    EXPECT_EQ(std::vector<UINT>(starts, starts + 5), (std::vector<UINT>{0, 5, 10, 15, 20}));
    EXPECT_EQ(b->GetPageIndex(starts, 5, nullptr), E_INVALIDARG);
    // Inside the page: its rows; before or after it: empty.
    const struct {
        UINT index;
        const wchar_t* text;
    } strings[] = {{10, L"词0"}, {14, L"词4"}, {9, L""}, {15, L""}, {0, L""}, {22, L""}};
    for (const auto& s : strings) EXPECT_EQ(String(s.index), s.text) << s.index;
    DWORD flags = 0;
    EXPECT_EQ(b->GetUpdatedFlags(&flags), S_OK);
    EXPECT_EQ(flags, 63u);
    ITfDocumentMgr* dm = reinterpret_cast<ITfDocumentMgr*>(1);
    EXPECT_EQ(b->GetDocumentMgr(&dm), S_OK);
    EXPECT_EQ(dm, nullptr);
    GUID guid{};
    EXPECT_EQ(b->GetGUID(&guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, e->guid));
    EXPECT_EQ(b->SetPageIndex(starts, 5), E_NOTIMPL);
    // No pages without candidates or page size: the array is zeroed.
    e->page.pageSize = 0;
    EXPECT_EQ(b->GetPageIndex(starts, 5, &pages), S_OK);
    EXPECT_EQ(pages, 0u);
    EXPECT_EQ(starts[2], 0u);
    EXPECT_EQ(b->GetCurrentPage(&page), S_OK);
    EXPECT_EQ(page, 0u);
}

TEST_F(CandidateList, IsShownWritesItsAnswer) {
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    ASSERT_NE(Element(), nullptr);
    BOOL shown = TRUE;
    EXPECT_EQ(Behavior()->IsShown(&shown), S_OK);
    EXPECT_FALSE(shown);  // no own window on the screen
    EXPECT_EQ(Behavior()->IsShown(nullptr), E_INVALIDARG);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                  nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    f.service->engine()->windows.candidateWindow = window;
    EXPECT_EQ(Behavior()->IsShown(&shown), S_OK);
    EXPECT_TRUE(shown);
    f.service->engine()->windows.candidateWindow = nullptr;
    DestroyWindow(window);
}

TEST_F(CandidateList, IntegrationStyles) {
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("6");
    ASSERT_NE(Element(), nullptr);
    ITfIntegratableCandidateListUIElement* i =
        static_cast<ITfIntegratableCandidateListUIElement*>(Element());
    EXPECT_EQ(i->SetIntegrationStyle(GUID_INTEGRATIONSTYLE_SEARCHBOX), S_OK);
    EXPECT_EQ(i->SetIntegrationStyle(GUID_LBI_INPUTMODE), E_NOTIMPL);
    EXPECT_EQ(i->SetIntegrationStyle(GUID{}), E_NOTIMPL);
    TfIntegratableCandidateListSelectionStyle style = STYLE_IMPLIED_SELECTION;
    EXPECT_EQ(i->GetSelectionStyle(&style), S_OK);
    EXPECT_EQ(style, STYLE_ACTIVE_SELECTION);
    BOOL eaten = FALSE, numbers = FALSE;
    EXPECT_EQ(i->OnKeyDown(VK_SPACE, 0, &eaten), S_OK);
    EXPECT_TRUE(eaten);
    EXPECT_EQ(i->ShowCandidateNumbers(&numbers), S_OK);
    EXPECT_TRUE(numbers);
    EXPECT_EQ(i->FinalizeExactCompositionString(), E_NOTIMPL);
    // Every element interface is answered by the one object.
    for (const IID* iid :
         {&IID_ITfUIElement, &IID_ITfCandidateListUIElement, &IID_ITfCandidateListUIElementBehavior,
          &IID_ITfIntegratableCandidateListUIElement, &IID_ITfTextLayoutSink}) {
        IUnknown* p = nullptr;
        EXPECT_EQ(Element()->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
        if (p) p->Release();
    }
}

TEST_F(CandidateList, LayoutChangesMeasureAndDestroyEnds) {
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    ASSERT_NE(Element(), nullptr);
    const int sessions = f.host->Calls("RequestEditSession");
    const int sinks = f.host->AdvisedSinks();
    f.host->ChangeLayout(TF_LC_CHANGE);
    EXPECT_EQ(f.host->Calls("RequestEditSession"), sessions + 1);
    f.host->ChangeLayout(TF_LC_DESTROY);
    EXPECT_EQ(f.host->AdvisedSinks(), sinks - 1);
    f.host->ChangeLayout(TF_LC_CHANGE);  // no sink any more
    EXPECT_EQ(f.host->Calls("RequestEditSession"), sessions + 1);
    // The ended element is no longer the service's: the next key gets a live one.
    EXPECT_EQ(Element(), nullptr);
    f.TypeKeypad("8");
    ASSERT_NE(Element(), nullptr);
    UINT n = 0;
    EXPECT_EQ(Behavior()->GetCount(&n), S_OK);
    EXPECT_EQ(n, f.service->engine()->candidateCount);
    EXPECT_EQ(f.host->AdvisedSinks(), sinks);
}

TEST_F(CandidateList, ElementOutlivesTheService) {
    f.host->SetElementAnswer(ElementAnswer::kHostDraws);
    f.host->KeepEndedElements(true);
    ASSERT_EQ(f.Activate(), S_OK);
    f.TypeKeypad("644");
    ASSERT_NE(Element(), nullptr);
    const DWORD id = Element()->elementId();
    f.service->Deactivate();
    f.service->Release();
    f.service = nullptr;
    // The framework still holds the element: every getter fails, nothing reads freed memory.
    ITfUIElement* kept = f.host->Element(id);
    ASSERT_NE(kept, nullptr);
    ITfCandidateListUIElement* list = nullptr;
    ASSERT_EQ(kept->QueryInterface(IID_ITfCandidateListUIElement, reinterpret_cast<void**>(&list)),
              S_OK);
    UINT n = 7;
    BSTR text = nullptr;
    GUID guid{};
    EXPECT_EQ(list->GetCount(&n), E_FAIL);
    EXPECT_EQ(list->GetString(0, &text), E_FAIL);
    EXPECT_EQ(list->GetGUID(&guid), E_FAIL);
    EXPECT_EQ(list->GetPageIndex(nullptr, 0, &n), E_FAIL);
    EXPECT_EQ(list->GetDescription(&text), E_FAIL);
    BOOL shown = TRUE;
    EXPECT_EQ(list->IsShown(&shown), S_OK);
    EXPECT_FALSE(shown);
    list->Release();
}

TEST_F(CandidateList, ImeWindowsHearOpenChangeAndClose) {
    f.host->SetElementAnswer(ElementAnswer::kHostDraws);
    ASSERT_EQ(f.Activate(), S_OK);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                  nullptr, nullptr);
    f.service->SetFocusWindow(window);
    f.TypeKeypad("644");
    EXPECT_EQ(g_notices, (std::vector<WPARAM>{IMN_OPENCANDIDATE, IMN_CHANGECANDIDATE}));
    f.Tap(VK_ESCAPE);
    EXPECT_EQ(g_notices,
              (std::vector<WPARAM>{IMN_OPENCANDIDATE, IMN_CHANGECANDIDATE, IMN_CLOSECANDIDATE}));
    DestroyWindow(window);
}

}  // namespace
