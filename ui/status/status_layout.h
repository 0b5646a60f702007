// The status bar's geometry and what its buttons do, as pure code over the skin and the
// engine state.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "ui/image/skin_region.h"
#include "ui/skin/skin_description.h"

// Region ids of the nine buttons.
namespace statusid {
constexpr int64_t kWidth = 14;
constexpr int64_t kPunctuation = 15;
constexpr int64_t kMenu = 16;
constexpr int64_t kLogo = 17;
constexpr int64_t kSoftKeyboard = 18;
constexpr int64_t kMode = 19;
constexpr int64_t kScript = 20;
constexpr int64_t kExtension1 = 21;
constexpr int64_t kExtension2 = 22;
}  // namespace statusid

constexpr int kStatusButtons = 9;

// Sets the nine button regions (in the order of the skin keys) and hides every other
// region. A button shows (state normal) when its sizing picture exists and its position has
// no negative coordinate; else it is hidden.
void LayoutStatusRegions(const SkinDescription& skin, const SkinImageSet& images,
                         SkinRegion (&regions)[kSkinRegionCount]);

// Where the bar goes: a stored position with a negative coordinate is replaced by the skin's
// corner of the work area; the result is kept inside the work area.
POINT PlaceStatusBar(WindowPoint stored, int32_t corner, int32_t width, int32_t height,
                     const RECT& workArea);

// What a left click on a button does.
enum class StatusClickKind { kNothing, kCommand, kFunctionMenu };
struct StatusClick {
    StatusClickKind kind;
    uint32_t code;  // the UICommand for kCommand
};
StatusClick StatusButtonClick(const Engine* engine, int64_t id);
