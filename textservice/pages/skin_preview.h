// The appearance page's preview: a skin's candidate picture over white, centred in a box.
#pragma once
#include <cstdint>
#include <vector>

struct SkinImage;

// width x height pixels 0x00RRGGBB, rows top to bottom; picture may be null (white only).
// The picture is blended over white by its alpha (alpha 0 keeps the stored colour, as for
// pictures without an alpha channel) and centred; parts outside the box are cut.
std::vector<uint32_t> PaintSkinPreview(const SkinImage* picture, int width, int height);
