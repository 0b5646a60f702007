// An engine record with the built-in skin and a page of sample candidates, for the
// screenshot tool and the candidate-window benchmark.
#pragma once
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>

#include "core/record/engine.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/skin/skin_loader.h"
#include "ui/skin/skin_scale.h"
#include "ui/windows/ui_fonts.h"
#include "ui/windows/ui_state_block.h"

struct DemoEngine {
    std::unique_ptr<ImeConfigData> ime = std::make_unique<ImeConfigData>();
    std::unique_ptr<DmeConfigData> dme = std::make_unique<DmeConfigData>();
    std::unique_ptr<SkinConfigData> skin = std::make_unique<SkinConfigData>();
    Engine* e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));

    DemoEngine() {
        e->ime = ime.get();
        e->dme = dme.get();
        e->skin = skin.get();
        e->uiState = static_cast<UIState*>(std::calloc(1, sizeof(UIState)));
        InitCandidateRegions(e->uiState->candidateRegions);
    }
    ~DemoEngine() {
        ReleaseUIState(e->uiState);
        std::free(e->uiState);
        std::free(e);
    }
    // The built-in skin, or the package at path, scaled for the record's DPI.
    bool LoadSkin(const wchar_t* path = nullptr) {
        UIState* s = e->uiState;
        if (!(path ? LoadSkinFromFile(&s->skin, &s->images, path)
                   : LoadBuiltInSkin(&s->skin, &s->images)))
            return false;
        ScaleSkin(&s->skin, &s->images, s->dpi);
        CreateUIFonts(e);
        return true;
    }
    // A page of words with two-character hints; first is the index of the first word.
    void Page(const wchar_t* const* words, int count, int first = 0, int total = 40) {
        e->candidateCount = total;
        e->page.rowCount = count;
        e->page.pageStart = first;
        e->page.pageEnd = first + count - 1;
        e->page.endContinues = 1;
        for (int i = 0; i < count; ++i) {
            PageRow& row = e->page.rowText[i];
            row.length = uint32_t(std::wcslen(words[i]));
            std::wcscpy(row.text, words[i]);
            e->page.rowCandidate[i] = i;
            e->candidates[i].kind = kKindMainEntry;
            std::wcscpy(e->candidates[i].hint, i % 3 == 0 ? L"" : i % 3 == 1 ? L"4" : L"26");
        }
    }
    void Composition(const wchar_t* text) {
        e->input.compositionLength = uint32_t(std::wcslen(text));
        std::wcscpy(e->input.compositionText, text);
    }
    // Lays the candidate window out with the record's fonts measured on a display DC.
    bool LayoutOnDisplay() {
        HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
        struct Fonts {
            HDC dc;
            HFONT code, candidate;
        } fonts{display, e->uiState->codeFont, e->uiState->candidateFont};
        CandidateMeasurer m{[](void* c, CandidateFont font, const wchar_t* text, int n) {
                                auto* f = static_cast<Fonts*>(c);
                                HGDIOBJ old =
                                    SelectObject(f->dc, font == kCodeFont ? f->code : f->candidate);
                                SIZE size{};
                                GetTextExtentPoint32W(f->dc, text, n, &size);
                                SelectObject(f->dc, old);
                                return size;
                            },
                            &fonts};
        const bool laid = LayoutCandidateWindow(e, m);
        DeleteDC(display);
        return laid;
    }
};

inline const wchar_t* const kDemoWords[] = {L"你好", L"拟好", L"你", L"尼", L"泥",
                                            L"逆",   L"腻",   L"妮", L"倪"};
inline const wchar_t* const kDemoWords2[] = {L"昵称", L"溺水", L"匿名", L"拈", L"年",
                                             L"念",   L"娘",   L"鸟",   L"您"};
