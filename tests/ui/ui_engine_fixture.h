// An engine record with settings blocks, a UIState and a hand-made skin, for window code
// tested without a window.
#pragma once
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/record/engine.h"
#include "support/settings_blocks.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/skin/skin_loader.h"
#include "ui/windows/ui_state_block.h"

namespace testing_support {

class UiEngine {
public:
    UiEngine() {
        e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        e->ime = blocks.ime.get();
        e->dme = blocks.dme.get();
        e->skin = blocks.skin.get();
        e->uiState = static_cast<UIState*>(std::calloc(1, sizeof(UIState)));
        e->page.pageEnd = -1;
        InitCandidateRegions(e->uiState->candidateRegions);
    }
    ~UiEngine() {
        ReleaseUIState(e->uiState);
        std::free(e->uiState);
        std::free(e);
    }
    UiEngine(const UiEngine&) = delete;
    UiEngine& operator=(const UiEngine&) = delete;

    // The same geometry in all four layouts and a 20 x 20 opaque background for each.
    void SimpleSkin() {
        SkinDescription& d = e->uiState->skin;
        wcscpy(d.info.name, L"t");
        for (CandidateLayout* L : {&d.mergedH, &d.mergedV, &d.embeddedH, &d.embeddedV}) {
            *L = CandidateLayout{};
            L->codeOrigin = {5, 3};
            L->candidateOrigin = {5, 25};
            L->indexGap = 2;
            L->hintGap = 3;
            L->candidateGap = 6;
            L->lineGap = 4;
            L->rightMargin = 7;
            L->bottomMargin = 5;
            L->stretchX = {1, 2};
            L->stretchY = {1, 2};
            for (SkinPoint* p : {&L->pageDownButton, &L->pageUpButton, &L->punctuationButton,
                                 &L->widthButton, &L->extension1Button, &L->extension2Button})
                *p = {-1, -1};
        }
        for (int slot :
             {kSlotStatusBar, kSlotMergedH, kSlotMergedV, kSlotEmbeddedH, kSlotEmbeddedV})
            e->uiState->images.images[slot] = Solid(20, 20, 255);
    }

    static SkinImage* Solid(int w, int h, uint8_t alpha) {
        SkinImage* image = CreateSkinImage(w, h);
        for (int i = 0; i < w * h; ++i) image->pixels[i * 4 + 3] = alpha;
        return image;
    }

    // A page of words (kind main-table without an entry) with optional hints.
    void Page(const std::vector<std::wstring>& words, const std::vector<std::wstring>& hints = {}) {
        e->candidateCount = int64_t(words.size());
        e->page.rowCount = int64_t(words.size());
        e->page.pageStart = 0;
        e->page.pageEnd = int64_t(words.size()) - 1;
        for (size_t i = 0; i < words.size(); ++i) {
            PageRow& row = e->page.rowText[i];
            row.length = uint32_t(words[i].size());
            wcscpy(row.text, words[i].c_str());
            e->page.rowCandidate[i] = int64_t(i);
            e->candidates[i].kind = kKindMainEntry;
            if (i < hints.size()) wcsncpy(e->candidates[i].hint, hints[i].c_str(), 2);
        }
    }

    void Composition(const std::wstring& text) {
        e->input.compositionLength = uint32_t(text.size());
        wcscpy(e->input.compositionText, text.c_str());
    }

    // Code font: 8 x 16 per character; candidate font: 10 x 20.
    static SIZE FixedMeasure(void*, CandidateFont font, const wchar_t*, int length) {
        return font == kCodeFont ? SIZE{8 * length, 16} : SIZE{10 * length, 20};
    }
    CandidateMeasurer measurer{FixedMeasure, nullptr};

    const SkinRegion& R(int i) const { return e->uiState->candidateRegions[i]; }

    SettingsBlocks blocks;
    Engine* e;
};

}  // namespace testing_support
