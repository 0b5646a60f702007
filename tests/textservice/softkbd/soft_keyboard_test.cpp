// The soft keyboard: its key table, layouts, click decisions, first placement, and clicks on
// the window played through the engine's key seam.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "core/record/engine.h"
#include "ui/softkbd/soft_keyboard_input.h"
#include "ui/softkbd/soft_keyboard_keys.h"
#include "ui/softkbd/soft_keyboard_layouts.h"
#include "ui/softkbd/soft_keyboard_paint.h"
#include "ui/softkbd/soft_keyboard_window.h"
#include "ui/windows/skin_window_classes.h"

namespace {

TEST(SoftKeyboardKeys, HitTestFindsTheKeyUnderAPoint) {
    struct Case {
        POINT p;
        int key;
    } cases[] = {
        {{3, 22}, 0},
        {{29, 48}, 0},
        {{30, 30}, kSoftKeyNone},
        {{32, 22}, 1},
        {{377, 48}, 12},
        {{400, 30}, 13},
        {{10, 60}, 14},
        {{60, 60}, 15},
        {{400, 60}, 27},
        {{10, 90}, 28},
        {{370, 100}, 39},
        {{400, 90}, 40},
        {{10, 120}, 41},
        {{80, 120}, 42},
        {{350, 120}, 51},
        {{10, 150}, kSoftKeyNone},
        {{45, 150}, 53},
        {{70, 150}, kSoftKeyNone},
        {{100, 150}, 55},
        {{270, 150}, kSoftKeyNone},
        {{300, 150}, 57},
        {{330, 150}, 58},
        {{360, 150}, kSoftKeyNone},
        {{5, 5}, 90},
        {{420, 10}, 91},
        {{100, 5}, kSoftKeyNone},
        {{439, 168}, kSoftKeyNone},
        {{440, 0}, kSoftKeyOutside},
        {{0, 169}, kSoftKeyOutside},
        {{-1, 5}, kSoftKeyOutside},
    };
    for (const Case& c : cases) EXPECT_EQ(SoftKeyboardHitTest(c.p), c.key) << c.p.x << "," << c.p.y;
    EXPECT_TRUE(SoftKeyInactiveAt({10, 150}));
    EXPECT_FALSE(SoftKeyInactiveAt({45, 150}));
}

TEST(SoftKeyboardKeys, KeysLieInsideThePictureAndNeverOverlap) {
    for (const SoftKeyRect& a : kSoftKeyRects) {
        SCOPED_TRACE(a.index);
        EXPECT_GE(a.rect.left, 0);
        EXPECT_GE(a.rect.top, 0);
        EXPECT_LE(a.rect.right, kSoftKeyboardWidth);
        EXPECT_LE(a.rect.bottom, kSoftKeyboardHeight);
        EXPECT_LT(a.rect.left, a.rect.right);
        for (const SoftKeyRect& b : kSoftKeyRects) {
            if (&a == &b) continue;
            RECT overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &a.rect, &b.rect)) << "with " << b.index;
        }
    }
}

TEST(SoftKeyboardLayouts, EveryLayoutLabelsOnlyCharacterKeys) {
    EXPECT_EQ(SoftKeyLabelOf(1, 0).lower, L'`');
    EXPECT_EQ(SoftKeyLabelOf(1, 0).upper, L'~');
    EXPECT_EQ(SoftKeyLabelOf(1, 15).lower, L'q');
    EXPECT_EQ(SoftKeyLabelOf(1, 15).upper, L'Q');
    EXPECT_EQ(SoftKeyLabelOf(1, 27).lower, L'\\');
    EXPECT_EQ(SoftKeyLabelOf(1, 39).upper, L'"');
    EXPECT_EQ(SoftKeyLabelOf(1, 51).lower, L'/');
    EXPECT_EQ(SoftKeyLabelOf(2, 15).lower, L'α');
    EXPECT_EQ(SoftKeyLabelOf(2, 15).upper, L'Α');
    EXPECT_EQ(SoftKeyLabelOf(3, 15).lower, L'а');
    EXPECT_EQ(SoftKeyLabelOf(12, 1).lower, L'一');
    EXPECT_EQ(SoftKeyLabelOf(12, 1).upper, L'壹');
    const std::set<int> noCharacter = {13, 14, 28, 40, 41, 52, 53, 54, 55, 56, 57};
    for (uint32_t layout = 1; layout <= 13; ++layout) {
        SCOPED_TRACE(layout);
        int labelled = 0;
        std::set<wchar_t> seen;
        for (int key = 0; key < kSoftKeyLabels; ++key) {
            const SoftKeyLabel l = SoftKeyLabelOf(layout, key);
            if (noCharacter.count(key)) {
                EXPECT_EQ(l.lower, 0) << key;
                EXPECT_EQ(l.upper, 0) << key;
            }
            for (wchar_t c : {l.lower, l.upper})
                if (c) {
                    ++labelled;
                    EXPECT_TRUE(seen.insert(c).second) << "twice: " << static_cast<int>(c);
                }
        }
        EXPECT_GE(labelled, 20);
    }
    for (uint32_t layout : {0u, 14u}) EXPECT_EQ(SoftKeyLabelOf(layout, 15).lower, 0);
    EXPECT_EQ(SoftKeyLabelOf(1, 58).lower, 0);
}

TEST(SoftKeyboardLayouts, VirtualKeysTypeTheLabelsOfTheirKeys) {
    for (uint32_t layout = 1; layout <= 13; ++layout) {
        SCOPED_TRACE(layout);
        for (int key = 0; key < kSoftKeyLabels; ++key) {
            const uint8_t vk = SoftKeyVirtualKey(key);
            if (!vk) continue;
            const SoftKeyLabel l = SoftKeyLabelOf(layout, key);
            EXPECT_EQ(SoftKeyboardCharOf(layout, vk, false), l.lower) << key;
            EXPECT_EQ(SoftKeyboardCharOf(layout, vk, true), l.upper) << key;
        }
    }
    struct {
        uint32_t layout, vk;
        wchar_t expected;
    } const others[] = {
        {2, VK_NUMPAD6, 0},  // not a key of the picture
        {2, 0, 0},           // the keys that type nothing
        {0, 'Q', 0},         // keyboard off
        {14, 'Q', 0},        // no such layout
    };
    for (const auto& o : others)
        EXPECT_EQ(SoftKeyboardCharOf(o.layout, o.vk, false), o.expected) << o.layout << " " << o.vk;
}

TEST(SoftKeyboardInput, ReleaseActions) {
    struct Case {
        const char* name;
        int pressed;
        int released;
        bool moved;
        SoftKeyAction action;
    } cases[] = {
        {"a letter", 29, 29, false, SoftKeyAction::kType},
        {"released on another key", 29, 30, false, SoftKeyAction::kNone},
        {"after a drag", 29, 29, true, SoftKeyAction::kNone},
        {"close", 91, 91, false, SoftKeyAction::kClose},
        {"layout menu", 90, 90, false, SoftKeyAction::kLayoutMenu},
        {"shift", 41, 41, false, SoftKeyAction::kToggleShift},
        {"delete", 58, 58, false, SoftKeyAction::kType},
        {"inactive", kSoftKeyInactive, kSoftKeyNone, false, SoftKeyAction::kNone},
        {"no key", kSoftKeyNone, kSoftKeyNone, false, SoftKeyAction::kNone},
    };
    for (const Case& c : cases) {
        SoftKeyboardGesture g;
        g.pressed = c.pressed;
        g.moved = c.moved;
        EXPECT_EQ(SoftKeyReleaseAction(g, c.released), c.action) << c.name;
    }
}

TEST(SoftKeyboardInput, FirstPlacement) {
    const RECT work{0, 0, 1280, 1000};
    struct Case {
        const char* name;
        bool hasStatus;
        RECT status;
        POINT at;
    } cases[] = {
        {"no status bar", false, {}, {840, 831}},
        {"right of the status bar", true, {100, 900, 300, 930}, {301, 761}},
        {"left when it would pass the right edge", true, {1000, 900, 1200, 930}, {559, 761}},
        {"not left of the work area", true, {200, 900, 1000, 930}, {0, 761}},
        {"not above the work area", true, {100, 0, 300, 30}, {301, 0}},
    };
    for (const Case& c : cases) {
        const POINT p = FirstSoftKeyboardPlacement(work, c.hasStatus, c.status);
        EXPECT_EQ(p.x, c.at.x) << c.name;
        EXPECT_EQ(p.y, c.at.y) << c.name;
    }
    const POINT clamped = ClampSoftKeyboard({1200, -5}, work);
    EXPECT_EQ(clamped.x, 840);
    EXPECT_EQ(clamped.y, 0);
}

// The keyboard painted into a 32-bit DIB, as pixels.
std::vector<uint32_t> Painted(uint32_t layout, const SoftKeyboardGesture& g = {},
                              int32_t dpi = 96) {
    const SIZE size = SoftKeyboardSize(dpi);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    PaintSoftKeyboard(dc, nullptr, layout, g, dpi);
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> out(p, p + size.cx * size.cy);
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    return out;
}

// Pixels of one key's rectangle that differ between two paintings; with an inset, only those
// within that many pixels of the key's edge.
int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int key,
                    int32_t dpi = 96, int inset = -1) {
    RECT r{};
    SoftKeyRectOf(key, &r);
    r = ScaleSoftKeyRect(r, dpi);
    const int width = SoftKeyboardSize(dpi).cx;
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const bool edge = x < r.left + inset || x >= r.right - inset || y < r.top + inset ||
                              y >= r.bottom - inset;
            if (inset < 0 || edge) n += a[y * width + x] != b[y * width + x];
        }
    return n;
}

// Keys without a character of the layout carry their names; every label keeps clear of its
// key's edge, at every layout and scale.
TEST(SoftKeyboardPaint, NamesAndLabelsStayClearOfTheKeyEdges) {
    const std::vector<uint32_t> white(size_t(kSoftKeyboardWidth) * kSoftKeyboardHeight, 0x00FFFFFF);
    const std::vector<uint32_t> none = Painted(0);
    for (int key : {13, 14, 28, 40, kSoftKeyShift, 52, 53, 54, 56, 57, 58, 59}) {
        EXPECT_NE(SoftKeyName(key), nullptr) << key;
        EXPECT_GT(DifferingPixels(none, white, key), 0) << "key " << key << " is named";
    }
    EXPECT_EQ(SoftKeyName(55), nullptr) << "the space bar is plain";
    EXPECT_EQ(SoftKeyName(15), nullptr);
    for (const int32_t dpi : {96, 144, 192}) {
        const std::vector<uint32_t> plain(
            size_t(SoftKeyboardSize(dpi).cx) * SoftKeyboardSize(dpi).cy, 0x00FFFFFF);
        for (uint32_t layout = 0; layout <= 13; ++layout) {
            const std::vector<uint32_t> painted = Painted(layout, {}, dpi);
            for (int key = 0; key < kSoftKeyCount; ++key)
                EXPECT_EQ(DifferingPixels(painted, plain, key, dpi, dpi * 2 / 96), 0)
                    << "layout " << layout << ", key " << key << " at " << dpi;
        }
    }
}

// The key table is in 96 DPI pixels: every key's middle, scaled, is found again.
TEST(SoftKeyboardKeys, ScaledPointsFindTheirKeys) {
    EXPECT_EQ(SoftKeyboardSize(96).cx, kSoftKeyboardWidth);
    EXPECT_EQ(SoftKeyboardSize(144).cx, 660);
    EXPECT_EQ(SoftKeyboardSize(144).cy, 254);
    EXPECT_EQ(SoftKeyboardSize(192).cy, 2 * kSoftKeyboardHeight);
    for (const int32_t dpi : {96, 120, 144, 192})
        for (const SoftKeyRect& k : kSoftKeyRects) {
            const RECT r = ScaleSoftKeyRect(k.rect, dpi);
            const POINT corners[] = {{r.left, r.top},
                                     {(r.left + r.right) / 2, (r.top + r.bottom) / 2},
                                     {r.right - 1, r.bottom - 1}};
            for (const POINT p : corners) {
                const int want = k.index == 52 || k.index == 54 || k.index == 56 || k.index == 59
                                     ? kSoftKeyNone
                                     : k.index;
                EXPECT_EQ(SoftKeyboardHitTest(UnscaleSoftKeyPoint(p, dpi)), want)
                    << k.index << " at " << dpi << ": " << p.x << "," << p.y;
            }
        }
    EXPECT_EQ(SoftKeyboardHitTest(UnscaleSoftKeyPoint({659, 253}, 144)), kSoftKeyNone);
    EXPECT_EQ(SoftKeyboardHitTest(UnscaleSoftKeyPoint({660, 10}, 144)), kSoftKeyOutside);
}

TEST(SoftKeyboardPaint, LabelsFollowTheLayoutAndFramesTheGesture) {
    const std::vector<uint32_t> none = Painted(0), pc = Painted(1), greek = Painted(2);
    EXPECT_GT(DifferingPixels(none, pc, 15), 0) << "layout 1 labels the Q key";
    EXPECT_GT(DifferingPixels(pc, greek, 15), 0) << "switching the layout changes the labels";
    EXPECT_EQ(DifferingPixels(none, pc, 13), 0) << "Backspace carries no label";
    SoftKeyboardGesture pressed;
    pressed.pressed = 30;
    EXPECT_GT(DifferingPixels(Painted(0, pressed), none, 30), 0) << "the pressed key is framed";
    SoftKeyboardGesture latched;
    latched.shiftLatch = true;
    EXPECT_GT(DifferingPixels(Painted(0, latched), none, kSoftKeyShift), 0);
}

struct KeyPress {
    uint8_t vk;
    uint32_t flags;
    bool operator==(const KeyPress&) const = default;
};
std::vector<KeyPress>& Presses() {
    static std::vector<KeyPress> p;
    return p;
}

class SoftKeyboardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinWindowClasses(GetModuleHandleW(nullptr));
        SetSoftKeyPress([](uint8_t vk, uint32_t flags) { Presses().push_back({vk, flags}); });
        Presses().clear();
        engine_ = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        engine_->softKeyboardLayout = 1;
        ASSERT_TRUE(CreateSoftKeyboardWindow(engine_, nullptr));
        window_ = engine_->windows.softKeyboardWindow;
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        DestroySoftKeyboardWindow(engine_);
        std::free(engine_);
        SetSoftKeyPress(nullptr);
    }
    void Press(int key) { SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, At(key)); }
    void Release(int key) { SendMessageW(window_, WM_LBUTTONUP, 0, At(key)); }
    void Click(int key) {
        Press(key);
        Release(key);
    }
    static LPARAM At(int key) {
        RECT r{};
        SoftKeyRectOf(key, &r);
        return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    Engine* engine_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(SoftKeyboardWindowTest, ClicksTypeTheirKeysThroughTheSeam) {
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(r.right - r.left, kSoftKeyboardWidth);
    EXPECT_EQ(r.bottom - r.top, kSoftKeyboardHeight);
    EXPECT_TRUE(IsWindowVisible(window_));

    Click(29);  // "a"
    EXPECT_EQ(Presses(), (std::vector<KeyPress>{{'A', 0}, {'A', KEYEVENTF_KEYUP}}));
    Presses().clear();
    Press(29);
    Release(30);  // released on another key
    Click(52);    // an inactive key
    EXPECT_TRUE(Presses().empty());
    GetWindowRect(window_, &r);
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, At(52));
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 100));
    RECT after;
    GetWindowRect(window_, &after);
    EXPECT_EQ(after.left, r.left) << "a press on an inactive key starts no drag";
    SendMessageW(window_, WM_LBUTTONUP, 0, At(52));

    Click(kSoftKeyShift);
    Click(29);
    EXPECT_EQ(Presses(), (std::vector<KeyPress>{{VK_SHIFT, KEYEVENTF_EXTENDEDKEY},
                                                {'A', 0},
                                                {'A', KEYEVENTF_KEYUP},
                                                {VK_SHIFT, KEYEVENTF_KEYUP}}));
    Presses().clear();
    Click(kSoftKeyShift);
    Click(58);
    EXPECT_EQ(Presses(), (std::vector<KeyPress>{{VK_DELETE, 0}, {VK_DELETE, KEYEVENTF_KEYUP}}));
    UpdateWindow(window_);  // paints with the layout
}

TEST_F(SoftKeyboardWindowTest, ADragOutsideTheKeysMovesTheWindowAndTypesNothing) {
    RECT before;
    GetWindowRect(window_, &before);
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 5));
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 3));
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(90, 3));
    RECT after;
    GetWindowRect(window_, &after);
    EXPECT_NE(after.left, before.left);
    EXPECT_TRUE(Presses().empty());
}

}  // namespace
