// Painting the laid-out candidate window into a canvas.
#pragma once
#include <windows.h>

#include "core/record/engine.h"
#include "ui/image/skin_canvas.h"

// A 32-bit top-down DIB section selected into a memory DC: the canvas of one paint.
class CanvasSurface {
public:
    CanvasSurface(int32_t width, int32_t height);
    ~CanvasSurface();
    CanvasSurface(const CanvasSurface&) = delete;
    CanvasSurface& operator=(const CanvasSurface&) = delete;
    bool ok() const { return canvas_.pixels != nullptr; }
    HDC dc() const { return dc_; }
    SkinCanvas* canvas() { return &canvas_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    SkinCanvas canvas_{};
};

// The paint sequence over the stretched background: premultiplied copy, code text,
// highlight and hover fills, labels, words and hints, the alpha pass, the buttons.
// False when there is nothing to paint or the surface does not match.
bool PaintCandidateCanvas(Engine* engine, CanvasSurface* surface);
