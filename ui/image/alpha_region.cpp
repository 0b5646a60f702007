#include "ui/image/alpha_region.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

struct RectBatch {
    RGNDATA* data = nullptr;
    DWORD room = 0;
    HRGN total = nullptr;
    bool failed = false;

    RECT* rects() { return reinterpret_cast<RECT*>(data->Buffer); }

    void Reset() {
        data->rdh.nCount = 0;
        data->rdh.rcBound = RECT{LONG_MAX, LONG_MAX, 0, 0};
    }
    bool Grow() {
        DWORD next = room + kRegionGrowRects;
        auto* grown = static_cast<RGNDATA*>(
            std::realloc(data, sizeof(RGNDATAHEADER) + size_t(next) * sizeof(RECT)));
        if (!grown) return false;
        data = grown;
        room = next;
        return true;
    }
    // Turns the batch into a region and ORs it into the total.
    void Flush() {
        if (data->rdh.nCount == 0) data->rdh.rcBound = RECT{0, 0, 0, 0};
        HRGN part =
            ExtCreateRegion(nullptr, sizeof(RGNDATAHEADER) + data->rdh.nCount * sizeof(RECT), data);
        if (!part) {
            failed = true;
        } else if (!total) {
            total = part;
        } else {
            CombineRgn(total, total, part, RGN_OR);
            DeleteObject(part);
        }
        Reset();
    }
    void Add(LONG x0, LONG y, LONG x1) {
        if (data->rdh.nCount == room && !Grow()) {
            failed = true;
            return;
        }
        rects()[data->rdh.nCount++] = RECT{x0, y, x1, y + 1};
        RECT& b = data->rdh.rcBound;
        if (x0 < b.left) b.left = x0;
        if (y < b.top) b.top = y;
        if (x1 > b.right) b.right = x1;
        if (y + 1 > b.bottom) b.bottom = y + 1;
        if (data->rdh.nCount == kRegionBatchRects) Flush();
    }
};

// Row runs of non-zero alpha, counted up to just past the limit.
int64_t CountRuns(const SkinImage* p) {
    int64_t runs = 0;
    for (int32_t y = 0; y < p->height && runs <= kMaxRegionRects; ++y) {
        const uint8_t* row = p->pixels + size_t(y) * p->width * 4;
        bool inside = false;
        for (int32_t x = 0; x < p->width; ++x) {
            const bool opaque = row[x * 4 + 3] != 0;
            if (opaque && !inside) ++runs;
            inside = opaque;
        }
    }
    return runs;
}

}  // namespace

HRGN CreateRegionFromAlpha(const SkinImage* p) {
    if (!p || !p->pixels) return nullptr;
    if (CountRuns(p) > kMaxRegionRects) return CreateRectRgn(0, 0, p->width, p->height);
    RectBatch b;
    b.data = static_cast<RGNDATA*>(std::calloc(1, sizeof(RGNDATAHEADER)));
    if (!b.data || !b.Grow()) {
        std::free(b.data);
        return nullptr;
    }
    b.data->rdh.dwSize = sizeof(RGNDATAHEADER);
    b.data->rdh.iType = RDH_RECTANGLES;
    b.Reset();
    for (int32_t y = 0; y < p->height && !b.failed; ++y) {
        const uint8_t* row = p->pixels + size_t(y) * p->width * 4;
        int32_t x = 0;
        while (x < p->width && !b.failed) {
            while (x < p->width && row[x * 4 + 3] == 0) ++x;
            if (x == p->width) break;
            int32_t x0 = x;
            while (x < p->width && row[x * 4 + 3] != 0) ++x;
            b.Add(x0, y, x);
        }
    }
    if (!b.failed && (b.data->rdh.nCount > 0 || !b.total)) b.Flush();
    std::free(b.data);
    if (b.failed) {
        if (b.total) DeleteObject(b.total);
        return nullptr;
    }
    return b.total;
}

bool SetWindowRegion(HWND window, HRGN region, bool redraw) {
    if (!region) return false;
    if (SetWindowRgn(window, region, redraw ? TRUE : FALSE)) return true;
    DeleteObject(region);
    return false;
}
