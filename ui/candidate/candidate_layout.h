// Candidate window geometry: measuring the page into regions, the three layouts, the
// buttons, candidate rectangles and the hit test. Pure code; text is measured through a seam.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "ui/image/skin_region.h"
#include "ui/skin/skin_description.h"

// Region slots of the candidate window.
constexpr int kLabelRegion = 0;  // 0-9
constexpr int kWordRegion = 10;  // 10-19
constexpr int kHintRegion = 20;  // 20-29
constexpr int kCodeRegion = 30;
constexpr int kPageUpRegion = 31;
constexpr int kPageDownRegion = 32;
constexpr int kWidthRegion = 35;
constexpr int kPunctuationRegion = 36;
constexpr int kUnplacedRegion = 39;
constexpr int kExtension1Region = 40;
constexpr int kExtension2Region = 41;
constexpr int kCandidateSlots = 10;

// Hit-test ids.
constexpr int64_t kHitOutside = -1;
constexpr int64_t kHitNone = 0;
constexpr int64_t kHitCode = 1;
constexpr int64_t kHitFirstCandidate = 2;  // 2-11
constexpr int64_t kHitPageUp = 12;
constexpr int64_t kHitPageDown = 13;
constexpr int64_t kHitWidth = 14;
constexpr int64_t kHitPunctuation = 15;
constexpr int64_t kHitUnplaced = 16;
constexpr int64_t kHitExtension1 = 21;
constexpr int64_t kHitExtension2 = 22;

enum CandidateFont : int { kCodeFont = 0, kCandidateFontFace = 1 };

// Measures text in one of the window's fonts.
struct CandidateMeasurer {
    SIZE (*measure)(void* context, CandidateFont font, const wchar_t* text, int length);
    void* context;
};

// Sets up the region table as the window is created: ids, flags, back colours -1, all hidden.
void InitCandidateRegions(SkinRegion* regions);

// Interface options in force for this layout and paint: the temporary flip to a vertical
// layout clears 0x8 and 0x10; the stored block keeps its value.
uint32_t EffectiveCandidateOptions(const Engine* engine);
// The embedded-first mode: the highlighted candidate is in the document, not the window.
bool EmbeddedFirstMode(const Engine* engine);
// True when the code starts with one of the configured auto-vertical prefixes.
bool MatchesVerticalPrefix(const SkinConfigData* skin, const wchar_t* code, uint32_t length);

// Fills regions 0-30 from the engine's page (texts, colours, sizes) and decides showCode.
void MeasureCandidateLines(Engine* engine, const CandidateMeasurer& measurer);
// The whole layout: measure, lay out, place the buttons and stretch the background into the
// UIState. False when the window has nothing to show (no stretched background).
bool LayoutCandidateWindow(Engine* engine, const CandidateMeasurer& measurer);

// The slot's highlight and hit rectangle from the layout's text frame.
RECT GetCandidateRect(const Engine* engine, int slot);
// -1 outside, a button or candidate id, else 0.
int64_t CandidateHitTest(const Engine* engine, int32_t x, int32_t y);
// The candidate index shown in a slot (embedded-first mode skips the highlighted one).
int64_t CandidateIndexForSlot(const Engine* engine, int slot);
