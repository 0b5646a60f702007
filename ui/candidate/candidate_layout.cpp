#include "ui/candidate/candidate_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "core/table/table_format.h"
#include "ui/image/skin_canvas.h"
#include "ui/windows/ui_state_block.h"

namespace {

constexpr uint32_t kFlipStateMask = 0x10000290;

bool Shown(const SkinRegion& r) { return r.state != kRegionHidden && r.x >= 0 && r.y >= 0; }
bool Visible(const SkinRegion& r) { return r.state != kRegionHidden; }

void Hide(SkinRegion& r) {
    r.state = kRegionHidden;
    r.x = r.y = -1;
    r.width = r.height = 0;
    r.textLength = 0;
    r.text[0] = 0;
}

void SetText(SkinRegion& r, const wchar_t* text, size_t length) {
    if (length >= size_t(kRegionTextUnits)) length = kRegionTextUnits - 1;
    std::wmemcpy(r.text, text, length);
    r.text[length] = 0;
    r.textLength = length;
}

void SetColours(SkinRegion& r, uint32_t colour) {
    for (auto& c : r.textColour) c = colour;
}

// Numbers from a skin and text extents are kept within this, so that no sum of them overflows.
constexpr int32_t kGeometryLimit = 16384;

int32_t Bound(int32_t v) { return std::clamp(v, -kGeometryLimit, kGeometryLimit); }

SIZE Measure(const CandidateMeasurer& m, CandidateFont font, const SkinRegion& r) {
    if (!m.measure) return SIZE{0, 0};
    SIZE size = m.measure(m.context, font, r.text, static_cast<int>(r.textLength));
    return SIZE{std::clamp<LONG>(size.cx, 0, kGeometryLimit),
                std::clamp<LONG>(size.cy, 0, kGeometryLimit)};
}

// Measures the region's text; turned text (vertical writing) swaps width and height and is
// drawn from an offset of its height.
void MeasureRegion(const CandidateMeasurer& m, CandidateFont font, bool turned, SkinRegion& r) {
    SIZE size = Measure(m, font, r);
    r.textOffsetX = 0;
    if (turned) {
        std::swap(size.cx, size.cy);
        r.textOffsetX = size.cx;
    }
    r.width = size.cx;
    r.height = size.cy;
    r.x = r.y = 0;
}

CandidateLayout Bounded(const CandidateLayout& L) {
    CandidateLayout b = L;
    for (SkinPoint* p : {&b.pageDownButton, &b.pageUpButton, &b.punctuationButton, &b.widthButton,
                         &b.extension1Button, &b.extension2Button, &b.codeOrigin,
                         &b.candidateOrigin, &b.stretchX, &b.stretchY, &b.embedOffset})
        p->x = Bound(p->x), p->y = Bound(p->y);
    for (int32_t* v : {&b.indexGap, &b.hintGap, &b.candidateGap, &b.lineGap, &b.rightMargin,
                       &b.bottomMargin, &b.minWidth, &b.minHeight})
        *v = Bound(*v);
    for (int32_t& f : b.textFrame) f = Bound(f);
    return b;
}

uint32_t WordColour(const Engine* e, const SkinTextStyle& t, int64_t i, const Candidate* c) {
    const CandidatePage& p = e->page;
    bool embedFirst =
        (e->ime->options & kImeStyleTsfEmbedFirst) && (e->ime->features & kFeatHideEmbeddedFirst);
    if (i == p.highlight || (embedFirst && i == p.highlight + 1))
        return static_cast<uint32_t>(t.firstCandidateColour);
    if (c && c->kind == kKindTempEntry) return static_cast<uint32_t>(t.tempWordColour);
    if (c && c->kind == kKindMainEntry && c->entry) {
        uint32_t flags;
        std::memcpy(&flags, c->entry, sizeof flags);
        if (EntryClassOf(flags) == kClassUser) return static_cast<uint32_t>(t.userWordColour);
    }
    return static_cast<uint32_t>(t.candidateColour);
}

// The word as shown: a decorated form for some entries, then cut to the skin's maximum.
size_t WordText(const Engine* e, const SkinTextStyle& t, int64_t i, const Candidate* c,
                wchar_t* out, size_t units) {
    const PageRow& row = e->page.rowText[i];
    size_t n = std::min<size_t>(row.length, kRowTextUnits - 1);
    wchar_t word[kRowTextUnits];
    std::wmemcpy(word, row.text, n);
    word[n] = 0;
    uint32_t cls = 0;
    if (c && c->entry && (c->kind & kKindHasCodeAndWord)) {
        uint32_t flags;
        std::memcpy(&flags, c->entry, sizeof flags);
        cls = EntryClassOf(flags);
    }
    int written;
    if (c && c->entry && (c->kind == kKindHasCodeAndWordAlt || cls == 5)) {
        // The entry's code ends in a marker character and a signed number.
        const uint8_t* code = c->entry + 4;
        uint8_t length = code[0];
        if (length >= 2)
            written = std::swprintf(out, units, L"^%lc%d %ls", wchar_t(code[length - 1]),
                                    int(int8_t(code[length])), word);
        else
            written = std::swprintf(out, units, L"%ls", word);
    } else if (cls == kClassSecondary && (e->state & kStateWildcard)) {
        written = std::swprintf(out, units, L"*%ls", word);
    } else {
        written = std::swprintf(out, units, L"%ls", word);
    }
    size_t len = written < 0 ? std::wcslen(out) : size_t(written);
    if (t.maxCandidatesShown > 0 && size_t(t.maxCandidatesShown) < len) {
        out[t.maxCandidatesShown] = L'\u2026';
        len = size_t(t.maxCandidatesShown) + 1;
        out[len] = 0;
    }
    return len;
}

}  // namespace

void InitCandidateRegions(SkinRegion* regions) {
    std::memset(regions, 0, sizeof(SkinRegion) * kSkinRegionCount);
    for (int i = 0; i < kSkinRegionCount; ++i) {
        SkinRegion& r = regions[i];
        Hide(r);
        for (auto& b : r.backColour) b = -1;
        if (i < kCandidateSlots * 3) {
            r.id = kHitFirstCandidate + i % kCandidateSlots;
            r.flags = kRegionDrawText;
        } else if (i == kCodeRegion) {
            r.id = kHitCode;
            r.flags = kRegionDrawText;
        }
    }
    const struct {
        int region;
        int64_t id;
    } buttons[] = {{kPageUpRegion, kHitPageUp},        {kPageDownRegion, kHitPageDown},
                   {kWidthRegion, kHitWidth},          {kPunctuationRegion, kHitPunctuation},
                   {kUnplacedRegion, kHitUnplaced},    {kExtension1Region, kHitExtension1},
                   {kExtension2Region, kHitExtension2}};
    for (const auto& b : buttons) {
        regions[b.region].id = b.id;
        regions[b.region].flags = kRegionPicture;
    }
}

bool EmbeddedFirstMode(const Engine* e) {
    return (e->ime->options & kImeStyleTsfEmbedFirst) &&
           (e->ime->features & kFeatHideEmbeddedFirst) && !(e->state & kStateAssociation);
}

bool MatchesVerticalPrefix(const SkinConfigData* skin, const wchar_t* code, uint32_t length) {
    int count = std::clamp(skin->prefixCount, 0, kSkinPrefixSlots);
    for (int i = 0; i < count; ++i) {
        const wchar_t* p = skin->prefixes[i];
        uint32_t n = 0;
        while (n < kSkinPrefixUnits - 1 && p[n]) ++n;
        if (n <= length && std::wmemcmp(p, code, n) == 0) return true;
    }
    return false;
}

uint32_t EffectiveCandidateOptions(const Engine* e) {
    uint32_t o = e->skin->options;
    if (!(o & kSkinHorizontal)) return o;
    bool flip = ((o & kSkinVerticalInLeadModes) && (e->state & kFlipStateMask)) ||
                MatchesVerticalPrefix(e->skin, e->input.code, e->input.codeLength);
    return flip ? o & ~(kSkinHorizontal | kSkinVerticalLeft) : o;
}

int64_t CandidateIndexForSlot(const Engine* e, int slot) {
    if (EmbeddedFirstMode(e) && e->page.highlight <= slot) return slot + 1;
    return slot;
}

void MeasureCandidateLines(Engine* e, const CandidateMeasurer& m) {
    UIState* s = e->uiState;
    SkinRegion* r = s->candidateRegions;
    const SkinTextStyle& t = s->skin.text;
    const uint32_t options = EffectiveCandidateOptions(e);
    const bool verticalWriting = (options & kSkinVerticalLeft) != 0;
    for (int i = 0; i <= kCodeRegion; ++i) Hide(r[i]);

    const InputState& in = e->input;
    s->showCode =
        in.compositionLength > 0 && (s->host.imm32 || (e->ime->options & kImeStyleTsfClassic));
    if (s->showCode) {
        SkinRegion& code = r[kCodeRegion];
        size_t length = std::min<size_t>(in.compositionLength, kCompositionUnits - 1);
        const wchar_t* from = in.compositionText;
        if (t.maxCodeShown > 0 && length > size_t(t.maxCodeShown)) {
            from += length - t.maxCodeShown;
            length = t.maxCodeShown;
        }
        SetText(code, from, std::min<size_t>(length, 127));
        SetColours(code, static_cast<uint32_t>(t.codeColour));
        code.state = kRegionNormal;
        MeasureRegion(m, kCodeFont, false, code);
    }

    const CandidatePage& p = e->page;
    const bool embeddedFirst = EmbeddedFirstMode(e);
    const CandidateLayout* layout = s->candidate.layout;
    const wchar_t suffix = layout ? layout->indexSuffix : 0;
    int slot = 0;
    int64_t rows = std::min<int64_t>(p.rowCount, kPageRows);
    for (int64_t i = 0; i < rows && i < kCandidateSlots && slot < kCandidateSlots; ++i) {
        if (embeddedFirst && i == p.highlight) continue;
        const int64_t index = p.rowCandidate[i];
        const Candidate* c =
            index >= 0 && index < e->candidateCount ? &e->candidates[index] : nullptr;
        SkinRegion& word = r[kWordRegion + slot];
        wchar_t text[kRegionTextUnits];
        size_t length = WordText(e, t, i, c, text, kRegionTextUnits);
        SetText(word, text, length);
        uint32_t colour = WordColour(e, t, i, c);
        SetColours(word, colour);
        if (t.hoverColour > 0) word.textColour[kRegionHover] = static_cast<uint32_t>(t.hoverColour);
        word.state = kRegionNormal;
        MeasureRegion(m, kCandidateFontFace, verticalWriting, word);

        if (options & kSkinShowIndex) {
            SkinRegion& label = r[kLabelRegion + slot];
            wchar_t number[8];
            bool letters = (e->state & kStateNumberCandidates) != 0;
            if (!suffix || verticalWriting) {
                if (letters)
                    std::swprintf(number, 8, L"%lc", wchar_t(L'a' + i));
                else
                    std::swprintf(number, 8, L"%d", (slot + 1) % 10);
            } else if (letters) {
                std::swprintf(number, 8, L"%lc%lc", wchar_t(L'a' + i), suffix);
            } else {
                std::swprintf(number, 8, L"%d%lc", int((i + 1) % 10), suffix);
            }
            SetText(label, number, std::wcslen(number));
            SetColours(label, t.indexColour < 0 ? colour : static_cast<uint32_t>(t.indexColour));
            label.state = kRegionNormal;
            MeasureRegion(m, kCodeFont, false, label);
        }
        if ((options & kSkinShowHints) && c && c->hint[0]) {
            SkinRegion& hint = r[kHintRegion + slot];
            size_t n = 0;
            while (n < 2 && c->hint[n]) ++n;
            SetText(hint, c->hint, n);
            SetColours(hint, t.hintColour < 0 ? colour : static_cast<uint32_t>(t.hintColour));
            hint.state = kRegionNormal;
            bool turned = verticalWriting && (e->ime->features & kFeatKeyRoots);
            MeasureRegion(m, turned ? kCandidateFontFace : kCodeFont, turned, hint);
        }
        ++slot;
    }
}

namespace {

struct Geometry {
    SkinRegion* r;
    const CandidateLayout& L;
    bool showCode;
    int32_t lh = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

void Place(SkinRegion& r, int32_t x, int32_t y) {
    r.x = x;
    r.y = y;
}

int32_t W(const SkinRegion& r) { return Visible(r) ? r.width : 0; }
int32_t H(const SkinRegion& r) { return Visible(r) ? r.height : 0; }

int SlotCount(const SkinRegion* r) {
    int n = 0;
    while (n < kCandidateSlots && Visible(r[kWordRegion + n])) ++n;
    return n;
}

void Clamp(Geometry& g, const SkinImage* bg) {
    g.width = std::min(std::max({g.width, bg ? bg->width : 0, g.L.minWidth}), kMaxSkinWindowSide);
    g.height =
        std::min(std::max({g.height, bg ? bg->height : 0, g.L.minHeight}), kMaxSkinWindowSide);
}

void CodeAtOrigin(Geometry& g) {
    SkinRegion& code = g.r[kCodeRegion];
    if (Visible(code)) Place(code, g.L.codeOrigin.x, g.L.codeOrigin.y);
}

void CodeToRight(Geometry& g) {
    SkinRegion& code = g.r[kCodeRegion];
    if (Visible(code)) code.x = g.width - code.width - g.L.rightMargin;
}

void LayoutInLine(Geometry& g, const SkinImage* bg, bool rtl) {
    SkinRegion* r = g.r;
    const CandidateLayout& L = g.L;
    int n = SlotCount(r);
    int32_t x = L.candidateOrigin.x;
    for (int k = 0; k < n; ++k) {
        SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                   &hint = r[kHintRegion + k];
        if (Visible(label)) {
            Place(label, x, g.top + (g.lh - label.height) / 2);
            x += label.width + L.indexGap;
        }
        Place(word, x, g.top + (g.lh - word.height) / 2);
        x += word.width + L.hintGap;
        if (Visible(hint)) {
            Place(hint, x, g.top + (g.lh - hint.height) / 2);
            x += hint.width;
        }
        x += L.candidateGap;
    }
    const SkinRegion& code = r[kCodeRegion];
    g.width = L.rightMargin + std::max(x, W(code) + L.codeOrigin.x + L.rightMargin);
    g.height = g.top + L.bottomMargin + g.lh;
    Clamp(g, bg);
    if (!rtl) return;
    CodeToRight(g);
    int32_t a = g.width - L.rightMargin;
    for (int k = 0; k < n; ++k) {
        SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                   &hint = r[kHintRegion + k];
        if (Visible(label)) {
            label.x = a - label.width;
            a -= label.width + L.indexGap;
        }
        a -= word.width;
        word.x = a;
        a -= L.hintGap;
        if (Visible(hint)) {
            a -= hint.width;
            hint.x = a;
        }
        a -= L.candidateGap;
    }
}

void LayoutRows(Geometry& g, const SkinImage* bg, bool rtl) {
    SkinRegion* r = g.r;
    const CandidateLayout& L = g.L;
    int n = SlotCount(r);
    int32_t b = 0;
    for (int k = 0; k < n; ++k) {
        int32_t row = 0;
        if (Visible(r[kLabelRegion + k])) row += r[kLabelRegion + k].width + L.indexGap;
        row += r[kWordRegion + k].width + L.hintGap;
        row += W(r[kHintRegion + k]);
        b = std::max(b, row);
    }
    const SkinRegion& code = r[kCodeRegion];
    if (g.showCode)
        g.width = std::max(b + L.candidateOrigin.x, L.codeOrigin.x + W(code)) + L.rightMargin;
    else
        g.width = b + L.candidateOrigin.x + L.rightMargin;
    g.height = n * (g.lh + L.lineGap) + L.bottomMargin + g.top;
    Clamp(g, bg);
    if (rtl) CodeToRight(g);
    int32_t top = g.top;
    for (int k = 0; k < n; ++k) {
        SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                   &hint = r[kHintRegion + k];
        if (!rtl) {
            int32_t x = L.candidateOrigin.x;
            if (Visible(label)) {
                Place(label, x, top + g.lh - label.height);
                x += label.width + L.indexGap;
            }
            Place(word, x, top + g.lh - word.height);
            x += word.width + L.hintGap;
            if (Visible(hint)) Place(hint, x, top + g.lh - hint.height);
        } else {
            int32_t m = g.width - L.rightMargin;
            if (Visible(label)) {
                Place(label, m - label.width, top + g.lh - label.height);
                m -= label.width + L.indexGap;
            }
            Place(word, m - word.width, top + g.lh - word.height);
            if (Visible(hint)) Place(hint, L.candidateOrigin.x, top + g.lh - hint.height);
        }
        top += g.lh + L.lineGap;
    }
}

void LayoutColumns(Geometry& g, const SkinImage* bg, bool rtl) {
    SkinRegion* r = g.r;
    const CandidateLayout& L = g.L;
    int n = SlotCount(r);
    int32_t a = 0, b = 0;
    for (int k = 0; k < n; ++k) {
        const SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                         &hint = r[kHintRegion + k];
        a = std::max({a, W(label), word.width, W(hint)});
        int32_t length = 0;
        if (Visible(label)) length += label.height + L.indexGap;
        length += word.height + L.hintGap;
        if (Visible(hint)) length += hint.height + L.candidateGap;
        b = std::max(b, length);
    }
    const SkinRegion& code = r[kCodeRegion];
    int32_t columns = n * (a + L.lineGap);
    if (g.showCode)
        g.width = std::max(columns + L.candidateOrigin.x, W(code) + L.codeOrigin.x);
    else
        g.width = columns + L.candidateOrigin.x;
    g.width += L.rightMargin;
    g.height = b + L.lineGap + L.bottomMargin + L.candidateOrigin.y;
    Clamp(g, bg);
    if (!rtl) {
        int32_t l = L.candidateOrigin.x;
        for (int k = 0; k < n; ++k) {
            SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                       &hint = r[kHintRegion + k];
            int32_t m = L.candidateOrigin.y;
            if (Visible(label)) {
                Place(label, l + (a - label.width) / 2, m);
                m += label.height + L.indexGap;
            }
            Place(word, l + (a - word.width) / 2, m);
            m += word.height + L.hintGap;
            if (Visible(hint)) Place(hint, l + (a - hint.width) / 2, m);
            l += a + L.lineGap;
        }
        return;
    }
    CodeToRight(g);
    int32_t l = g.width - L.rightMargin;
    for (int k = 0; k < n; ++k) {
        SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                   &hint = r[kHintRegion + k];
        int32_t t = std::max(L.candidateOrigin.y, H(code) + L.codeOrigin.y + 2);
        if (Visible(label)) {
            Place(label, l - (a + label.width) / 2, t);
            t += label.height + L.indexGap;
        }
        Place(word, l - (a + word.width) / 2, t);
        if (Visible(hint))
            Place(hint, l - (a + hint.width) / 2, L.candidateOrigin.y + b - hint.height);
        l -= a + L.lineGap;
    }
}

struct ButtonPlace {
    int region;
    SkinPoint CandidateLayout::*position;
    int slot;  // normal picture of the button
};

const ButtonPlace kButtons[] = {
    {kPageUpRegion, &CandidateLayout::pageUpButton, kSlotPageUp},
    {kPageDownRegion, &CandidateLayout::pageDownButton, kSlotPageDown},
    {kWidthRegion, &CandidateLayout::widthButton, kSlotFullWidth},
    {kPunctuationRegion, &CandidateLayout::punctuationButton, kSlotChinesePunct},
    {kExtension1Region, &CandidateLayout::extension1Button, kSlotExtension1},
    {kExtension2Region, &CandidateLayout::extension2Button, kSlotExtension2},
};

void PlaceCandidateButtons(UIState* s, const CandidateLayout& L, const SkinImage* bg,
                           bool buttons) {
    SkinRegion* r = s->candidateRegions;
    for (int i = kPageUpRegion; i < kSkinRegionCount; ++i) Hide(r[i]);
    if (!buttons || !bg) return;
    for (const ButtonPlace& b : kButtons) {
        const SkinPoint& p = L.*b.position;
        const SkinImage* picture = s->images.images[b.slot];
        // Shown only with its picture and a position on the window.
        if (!picture || !SkinPointShown(p)) continue;
        SkinRegion& region = r[b.region];
        region.state = kRegionNormal;
        region.width = picture->width;
        region.height = picture->height;
        region.x = L.stretchX.y < p.x ? s->candidate.width + p.x - L.rightMargin - bg->width : p.x;
        region.y =
            L.stretchY.y < p.y ? s->candidate.height + p.y - L.bottomMargin - bg->height : p.y;
        if (region.x < 0 || region.y < 0) Hide(region);
    }
}

}  // namespace

bool LayoutCandidateWindow(Engine* e, const CandidateMeasurer& m) {
    if (!e || !e->uiState || !e->ime || !e->skin) return false;
    UIState* s = e->uiState;
    FreeSkinImage(s->stretchedBackground);
    s->stretchedBackground = nullptr;
    s->candidate.width = s->candidate.height = 0;
    s->candidate.layout = nullptr;

    const CandidatePage& p = e->page;
    const uint32_t imeOptions = e->ime->options, features = e->ime->features;
    bool single = s->host.textService && e->candidateCount < 2 && p.rowCount < 2 &&
                  !(e->state & kStateAssociation) &&
                  ((features & kFeatCandidateOnlyWhenMany) ||
                   ((imeOptions & kImeStyleTsfEmbedFirst) && (features & kFeatHideEmbeddedFirst)));
    bool codeShown =
        e->input.compositionLength > 0 && (s->host.imm32 || (imeOptions & kImeStyleTsfClassic));
    if (single || (imeOptions & kImeCandidateHidden) || (p.rowCount <= 0 && !codeShown))
        return false;

    const uint32_t options = EffectiveCandidateOptions(e);
    const bool horizontal = (options & kSkinHorizontal) != 0;
    const bool columns = !horizontal && (options & kSkinVerticalLeft);
    s->candidate.bounded = Bounded(horizontal ? (codeShown ? s->skin.mergedH : s->skin.embeddedH)
                                              : (codeShown ? s->skin.mergedV : s->skin.embeddedV));
    const CandidateLayout& L = s->candidate.bounded;
    const SkinImage* bg =
        s->images.images[horizontal ? (codeShown ? kSlotMergedH : kSlotEmbeddedH)
                                    : (codeShown ? kSlotMergedV : kSlotEmbeddedV)];
    if (!bg) return false;
    s->candidate.layout = &L;
    s->candidate.background = bg;
    MeasureCandidateLines(e, m);

    SkinRegion* r = s->candidateRegions;
    Geometry g{r, L, s->showCode != 0};
    g.lh = std::max(H(r[kLabelRegion]), std::max(H(r[kWordRegion]), H(r[kHintRegion])));
    const int32_t codeBottom = L.codeOrigin.y + H(r[kCodeRegion]) + 2;
    g.top =
        !g.showCode || L.candidateOrigin.y >= codeBottom || L.candidateOrigin.y == L.codeOrigin.y
            ? L.candidateOrigin.y
            : codeBottom;
    CodeAtOrigin(g);
    const bool rtl = (options & kSkinRightToLeft) != 0;
    if (horizontal)
        LayoutInLine(g, bg, rtl);
    else if (columns)
        LayoutColumns(g, bg, rtl);
    else
        LayoutRows(g, bg, rtl);
    s->candidate.width = g.width;
    s->candidate.height = g.height;
    s->candidate.vertical = horizontal ? 0 : 1;
    s->candidate.columns = columns ? 1 : 0;

    const bool buttons = (options & kSkinShowButtons) != 0;
    PlaceCandidateButtons(s, L, bg, buttons);
    s->stretchedBackground = StretchSkinImage(bg, g.width, g.height, L.stretchX.x, L.stretchX.y,
                                              L.stretchY.x, L.stretchY.y);
    if (!s->stretchedBackground) return false;
    // A refused stretch band keeps the picture's size on that axis.
    s->candidate.width = s->stretchedBackground->width;
    s->candidate.height = s->stretchedBackground->height;
    if (buttons) {
        if (p.pageStart == 0 && Visible(r[kPageUpRegion])) r[kPageUpRegion].state = kRegionDisabled;
        bool last = !p.endContinues && p.pageEnd + 1 >= e->candidateCount;
        if (last && Visible(r[kPageDownRegion])) r[kPageDownRegion].state = kRegionDisabled;
    }
    return true;
}

RECT GetCandidateRect(const Engine* e, int k) {
    const UIState* s = e->uiState;
    const SkinRegion* r = s->candidateRegions;
    const SkinRegion &label = r[kLabelRegion + k], &word = r[kWordRegion + k],
                     &hint = r[kHintRegion + k];
    const CandidateLayout* L = s->candidate.layout;
    int32_t f[4] = {0, 0, 0, 0};
    if (L) std::memcpy(f, L->textFrame, sizeof f);
    const int32_t bgW = s->stretchedBackground ? s->stretchedBackground->width : 0;
    const int32_t bgH = s->stretchedBackground ? s->stretchedBackground->height : 0;
    const int32_t rightMargin = L ? L->rightMargin : 0, bottomMargin = L ? L->bottomMargin : 0;
    const bool hasLabel = Visible(label), hasHint = Visible(hint);
    RECT rc;
    if (!s->candidate.columns) {
        // The span of the shown parts: the label is left of the word, or right of it when the
        // text runs right to left.
        int32_t left = word.x, right = word.x + word.width;
        int32_t top = word.y, bottom = word.y + word.height;
        for (const SkinRegion* part : {&label, &hint}) {
            if (!Visible(*part)) continue;
            left = std::min(left, part->x);
            right = std::max(right, part->x + part->width);
            top = std::min(top, part->y);
            bottom = std::max(bottom, part->y + part->height);
        }
        rc.left = left - f[0];
        rc.right = std::min(right + f[1], bgW - rightMargin);
        rc.top = top - f[2];
        rc.bottom = bottom + f[3];
    } else {
        int32_t left = word.x, right = word.x + word.width;
        if (hasLabel)
            left = std::min(left, label.x), right = std::max(right, label.x + label.width);
        if (hasHint) left = std::min(left, hint.x), right = std::max(right, hint.x + hint.width);
        rc.left = left - f[2];
        rc.right = right + f[3];
        rc.top = (hasLabel ? label.y : word.y) - f[2];
        rc.bottom = std::min((hasHint ? hint.y + hint.height : word.y + word.height) + f[1],
                             bgH - bottomMargin);
    }
    return rc;
}

int64_t CandidateHitTest(const Engine* e, int32_t x, int32_t y) {
    const UIState* s = e->uiState;
    if (x <= 0 || x >= s->candidate.width || y <= 0 || y >= s->candidate.height) return kHitOutside;
    const SkinRegion* r = s->candidateRegions;
    for (int i = kCodeRegion; i < kSkinRegionCount; ++i) {
        if (!Shown(r[i])) continue;
        if (r[i].x < x && x < r[i].x + r[i].width && r[i].y < y && y < r[i].y + r[i].height) {
            if (r[i].id == 0) break;
            return r[i].id;
        }
    }
    for (int k = 0; k < kCandidateSlots; ++k) {
        if (!Shown(r[kWordRegion + k])) continue;
        RECT rc = GetCandidateRect(e, k);
        if (rc.left < x && x < rc.right && rc.top < y && y < rc.bottom)
            return kHitFirstCandidate + k;
    }
    return kHitNone;
}
