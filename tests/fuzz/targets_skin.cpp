// Skin packages: skin.ini and the PNG pictures of a .col archive, loaded from memory, then
// the candidate window and the status bar laid out and painted over what they gave.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_target.h"
#include "support/png_writer.h"
#include "support/zip_writer.h"
#include "ui/candidate/candidate_layout.h"
#include "ui/candidate/candidate_paint.h"
#include "ui/image/alpha_region.h"
#include "ui/skin/skin_ini.h"
#include "ui/skin/skin_picture_budget.h"
#include "ui/skin_fixture.h"
#include "ui/status/status_layout.h"
#include "ui/status/status_paint.h"
#include "ui/ui_engine_fixture.h"

namespace fuzz {
namespace {

using testing_support::MakePng;
using testing_support::SolidPng;
using testing_support::ZipItem;

// The input is a list of archive entries, each: a name number, flags, a 32-bit length and
// the bytes; the target zips them (with good CRCs) so that damage reaches the skin's own
// parsers rather than stopping at the archive's checks.
constexpr int kExtraNames = 3;
const char* EntryName(uint8_t n) {
    static const char* const extra[kExtraNames] = {"skin.ini", "sub/bar.png", "BAR.PNG"};
    int i = n % (kSkinImageSlots + kExtraNames);
    return i < kExtraNames ? extra[i] : kSkinImageNames[i - kExtraNames];
}
constexpr uint8_t kFixPngCrc = 0x1;  // a picture's chunk CRCs are made right again
constexpr uint8_t kDeflate = 0x2;

struct Entry {
    uint8_t name;
    std::string data;
};

void Put32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

Bytes Pack(const std::vector<Entry>& entries) {
    Bytes out;
    for (const Entry& e : entries) {
        out.push_back(e.name);
        out.push_back(kFixPngCrc | kDeflate);
        Put32(out, uint32_t(e.data.size()));
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

uint8_t NameNumber(const char* name) {
    for (int n = 0; n < kSkinImageSlots + kExtraNames; ++n)
        if (std::strcmp(EntryName(uint8_t(n)), name) == 0) return uint8_t(n);
    return 0;
}

void FixPngCrcs(std::string& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        auto* p = reinterpret_cast<uint8_t*>(&png[at]);
        uint32_t length = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        if (length > png.size() - at - 12) break;
        uint32_t crc = 0xFFFFFFFFu;
        for (uint32_t i = 0; i < length + 4; ++i) {
            crc ^= p[4 + i];
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        crc ^= 0xFFFFFFFFu;
        for (int i = 0; i < 4; ++i) p[8 + length + i] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

std::vector<ZipItem> Unpack(const uint8_t* data, size_t size) {
    std::vector<ZipItem> items;
    size_t at = 0;
    while (at + 6 <= size && items.size() < 96) {
        const uint8_t name = data[at], flags = data[at + 1];
        uint32_t length;
        std::memcpy(&length, data + at + 2, 4);
        at += 6;
        if (length > size - at) length = uint32_t(size - at);
        ZipItem item;
        item.name = EntryName(name);
        item.data.assign(reinterpret_cast<const char*>(data + at), length);
        item.deflate = (flags & kDeflate) != 0;
        if ((flags & kFixPngCrc) && item.name != "skin.ini") FixPngCrcs(item.data);
        items.push_back(std::move(item));
        at += length;
    }
    return items;
}

std::string FullIni(const char* bands, const char* buttons, const char* frame) {
    std::string ini =
        "\xEF\xBB\xBF;------------------------for version 3.3+-------------------\r\n"
        "[-皮肤信息-]\r\n名称=fuzz\r\n描述=d\r\n"
        "[-文字显示-]\r\n编码字体大小=16\r\n候选字体大小=20\r\n"
        "第一候选背景色=#16777215\r\n鼠标处候选背景色=#-1\r\n"
        "编码最多显示个数=5\r\n候选最多显示个数=3\r\n"
        "[-状态栏窗口-]\r\n状态栏默认位置=3\r\n输入法标志位置=1,1\r\n"
        "中英文状态按钮位置=12,1\r\n中英文标点按钮位置=24,1\r\n全角半角按钮位置=36,1\r\n"
        "软键盘按钮位置=48,1\r\n菜单按钮位置=60,1\r\n扩展按钮1位置=2,2\r\n"
        "扩展按钮2位置=3,3\r\n简繁切换按钮位置=4,4\r\n";
    for (const char* head : {"[-候选窗口-合并-]", "[-候选窗口-合并-竖排-]", "[-候选窗口-嵌入-]",
                             "[-候选窗口-嵌入-竖排-]"}) {
        ini += std::string(head) +
               "\r\n编码起始位置=3,2\r\n候选起始位置=3,14\r\n序号-字词间距=2\r\n"
               "字词-提示间距=2\r\n候选间距=4\r\n行间距=2\r\n右边距=3\r\n下边距=3\r\n"
               "最小宽度=10\r\n最小高度=10\r\n序号后缀=.\r\n嵌入窗口偏移=0,4\r\n";
        ini += std::string("横向拉伸区域=") + bands + "\r\n纵向拉伸区域=" + bands + "\r\n";
        ini += std::string("文字背景边框=") + frame + "\r\n";
        for (const char* key : {"后翻页按钮位置", "前翻页按钮位置", "全角半角按钮位置",
                                "中英文标点按钮位置", "扩展按钮1位置", "扩展按钮2位置"})
            ini += std::string(key) + "=" + buttons + "\r\n";
    }
    return ini;
}

// The five required pictures and buttons with state pictures of other sizes than their
// normal one, in several colour types.
std::vector<Entry> SeedPictures() {
    const std::string grey = MakePng(6, 5, 0, std::vector<uint8_t>(30, 0x80));
    const std::string greyAlpha = MakePng(6, 5, 4, std::vector<uint8_t>(60, 0xC0));
    const std::string rgb = MakePng(6, 5, 2, std::vector<uint8_t>(90, 0x40));
    const std::string wide = MakePng(3, 2, 6, std::vector<uint8_t>(48, 0x7F), 16);
    const std::string large = SolidPng(40, 30, 10, 20, 30, 200);
    std::vector<Entry> entries;
    for (int slot = 0; slot < kRequiredSkinImages; ++slot)
        entries.push_back(
            {NameNumber(kSkinImageNames[slot]), SolidPng(20, 16, 255, 255, 255, 255)});
    int k = 0;
    for (int group : {kSlotPageUp, kSlotPageDown, kSlotFullWidth, kSlotHalfWidth, kSlotChinesePunct,
                      kSlotEnglishPunct, kSlotExtension1, kSlotExtension2, kSlotLogo, kSlotMenu,
                      kSlotChineseMode, kSlotSoftKeyboard})
        for (int state = 0; state < 4; ++state, ++k) {
            const std::string* pictures[] = {&grey, &greyAlpha, &rgb, &wide, &large};
            entries.push_back({NameNumber(kSkinImageNames[group + state]), *pictures[k % 5]});
        }
    return entries;
}

struct IniVariant {
    const char *bands, *buttons, *frame;
};
const IniVariant kIniVariants[] = {
    {"2,5", "4,3", "1,1,1,1"}, {"5,2", "40,30", "2,2"}, {"0,19", "-1,-1", ""}};

std::vector<Bytes> SkinSeeds(FuzzContext&) {
    // The first use of the display (a second or more under Wine) before any input is timed.
    CanvasSurface warm(1, 1);
    std::vector<Bytes> seeds;
    for (const IniVariant& v : kIniVariants) {
        std::vector<Entry> entries = SeedPictures();
        entries.insert(entries.begin(),
                       Entry{NameNumber("skin.ini"), FullIni(v.bands, v.buttons, v.frame)});
        seeds.push_back(Pack(entries));
    }
    // Headers claiming pictures over one picture's bounds, then enough to spend the package's
    // budget before the last picture.
    std::vector<Entry> entries = SeedPictures();
    entries.insert(entries.begin(), Entry{NameNumber("skin.ini"), FullIni("2,5", "4,3", "1,1")});
    const std::string square = testing_support::ClaimedSizePng(2048, 2048);
    for (const auto& e :
         {Entry{NameNumber("menu.png"), testing_support::ClaimedSizePng(8192, 8192)},
          Entry{NameNumber("menu_1.png"), testing_support::ClaimedSizePng(4097, 16)},
          Entry{NameNumber("up.png"), square}, Entry{NameNumber("up_1.png"), square},
          Entry{NameNumber("up_2.png"), square}, Entry{NameNumber("up_3.png"), square},
          Entry{NameNumber("down.png"), SolidPng(6, 5, 1, 2, 3, 200)}})
        entries.push_back(e);
    seeds.push_back(Pack(entries));
    return seeds;
}

// skin.ini texts alone: UTF-8 with and without a mark, UTF-16 in both byte orders.
std::vector<Bytes> IniSeeds(FuzzContext&) {
    CanvasSurface warm(1, 1);
    std::vector<Bytes> seeds;
    for (const IniVariant& v : kIniVariants) {
        const std::string ini = FullIni(v.bands, v.buttons, v.frame);
        seeds.emplace_back(ini.begin(), ini.end());
    }
    const std::string bare =
        seeds[0].size() > 3 ? std::string(seeds[0].begin() + 3, seeds[0].end()) : std::string();
    seeds.emplace_back(bare.begin(), bare.end());
    const std::wstring wide = Widen(bare);
    Bytes le{0xFF, 0xFE}, be{0xFE, 0xFF};
    for (wchar_t u : wide) {
        le.push_back(uint8_t(u)), le.push_back(uint8_t(u >> 8));
        be.push_back(uint8_t(u >> 8)), be.push_back(uint8_t(u));
    }
    seeds.push_back(le);
    seeds.push_back(be);
    return seeds;
}

// Decoded pictures moved into guarded memory, so that a read past a picture's last pixel
// faults; the original buffers go back before the set is freed.
class GuardedPictures {
public:
    GuardedPictures(SkinImageSet* set, bool atStart) : set_(set) {
        for (int i = 0; i < kSkinImageSlots; ++i) {
            SkinImage* p = set->images[i];
            if (!p) continue;
            size_t bytes = size_t(p->width) * p->height * 4;
            guards_[i] = std::make_unique<GuardedBytes>(p->pixels, bytes, atStart);
            originals_[i] = p->pixels;
            p->pixels = guards_[i]->data();
        }
    }
    ~GuardedPictures() {
        for (int i = 0; i < kSkinImageSlots; ++i)
            if (guards_[i]) set_->images[i]->pixels = originals_[i];
    }

private:
    SkinImageSet* set_;
    std::unique_ptr<GuardedBytes> guards_[kSkinImageSlots];
    uint8_t* originals_[kSkinImageSlots] = {};
};

// Lays out and paints the candidate window in one arrangement of the options.
void CandidateWindow(testing_support::UiEngine& u, uint32_t options, bool code, bool gdi) {
    Engine* e = u.e;
    e->skin->options = options;
    u.e->uiState->host.imm32 = code;
    if (!LayoutCandidateWindow(e, u.measurer)) return;
    UIState* s = e->uiState;
    const SkinImage* bg = s->stretchedBackground;
    Check(bg && bg->width == s->candidate.width && bg->height == s->candidate.height,
          "the window size is not the stretched background's");
    // The pixel steps over a guarded canvas, each button in each state.
    const size_t bytes = size_t(bg->width) * bg->height * 4;
    Bytes zero(bytes);
    GuardedBytes pixels(zero.data(), bytes);
    SkinCanvas canvas{bg->width, bg->height, pixels.data()};
    Check(CopyBackgroundPremultiplied(bg, &canvas), "the background does not fit its canvas");
    CandidateAlphaPass(bg, &canvas);
    SkinImage* const* images = s->images.images;
    for (uint64_t state : {kRegionNormal, kRegionDisabled, kRegionHover, kRegionPressed}) {
        for (int region : {kPageUpRegion, kPageDownRegion, kWidthRegion, kPunctuationRegion,
                           kExtension1Region, kExtension2Region}) {
            SkinRegion r = s->candidateRegions[region];
            if (r.state != kRegionHidden) r.state = state;
            for (int group :
                 {kSlotPageUp, kSlotPageDown, kSlotFullWidth, kSlotHalfWidth, kSlotEnglishPunct,
                  kSlotChinesePunct, kSlotExtension1, kSlotExtension2})
                PaintImageRegion(&r, images + group, &canvas);
        }
    }
    if (HRGN region = CreateRegionFromAlpha(bg)) DeleteObject(region);
    if (gdi) {
        CanvasSurface surface(bg->width, bg->height);
        if (surface.ok()) PaintCandidateCanvas(e, &surface);
    }
    for (int64_t x : {-1, 0, 1, 5, 9, 30}) CandidateHitTest(e, int32_t(x), int32_t(x / 2 + 1));
}

void StatusBar(testing_support::UiEngine& u) {
    UIState* s = u.e->uiState;
    LayoutStatusRegions(s->skin, s->images, s->statusRegions);
    const SkinImage* bar = s->images.images[kSlotStatusBar];
    const size_t bytes = size_t(bar->width) * bar->height * 4;
    Bytes zero(bytes);
    GuardedBytes pixels(zero.data(), bytes);
    SkinCanvas canvas{bar->width, bar->height, pixels.data()};
    for (int64_t hover : {int64_t(-1), statusid::kLogo, statusid::kMode})
        PaintStatusCanvas(u.e, hover == statusid::kMode, hover, &canvas);
}

// Loads the package and, when it loads, lays out and paints both windows over it.
void LoadAndPaint(const Bytes& zip, size_t n, FuzzContext& c) {
    GuardedBytes archive(zip.data(), zip.size(), n % 4 == 3);
    testing_support::UiEngine u;
    UIState* s = u.e->uiState;
    if (!LoadSkinFromMemory(&s->skin, &s->images, archive.data(), archive.size())) {
        for (SkinImage* image : s->images.images) Check(!image, "a failed load kept a picture");
        return;
    }
    ++c.deep;
    for (int i = 0; i < kRequiredSkinImages; ++i)
        Check(s->images.images[i] != nullptr, "a loaded skin lacks a required picture");
    int64_t pixels = 0;
    for (const SkinImage* image : s->images.images) {
        if (!image) continue;
        Check(image->width <= kMaxSkinPictureSide && image->height <= kMaxSkinPictureSide &&
                  int64_t(image->width) * image->height <= kMaxSkinPicturePixels,
              "a picture over one picture's bounds was decoded");
        pixels += int64_t(image->width) * image->height;
    }
    Check(pixels <= kSkinPackagePixelBudget, "a package decoded more than its budget");
    GuardedPictures guard(&s->images, n % 2 == 1);
    u.Page({L"一", L"二二", L"三三三", L"四四四四", L"五"}, {L"1", L"", L"23", L"4", L""});
    u.Composition(L"abcdefgh");
    u.e->page.highlight = 1;
    const uint32_t shown = kSkinShowIndex | kSkinShowHints | kSkinShowButtons;
    const struct {
        uint32_t options;
        bool code;
    } arrangements[] = {
        {shown | kSkinHorizontal, true},
        {shown | kSkinHorizontal | kSkinRightToLeft, false},
        {shown, true},
        {shown | kSkinRightToLeft, false},
        {shown | kSkinVerticalLeft, false},
        {shown | kSkinVerticalLeft | kSkinRightToLeft, true},
    };
    int k = 0;
    for (const auto& a : arrangements) CandidateWindow(u, a.options, a.code, size_t(k++) == n % 6);
    StatusBar(u);
}

void RunSkin(const uint8_t* data, size_t size, FuzzContext& c) {
    LoadAndPaint(testing_support::MakeZip(Unpack(data, size)), size, c);
}

void RunIni(const uint8_t* data, size_t size, FuzzContext& c) {
    static const std::vector<ZipItem> pictures = [] {
        const Bytes packed = Pack(SeedPictures());
        return Unpack(packed.data(), packed.size());
    }();
    std::vector<ZipItem> items = pictures;
    items.push_back({"skin.ini", std::string(reinterpret_cast<const char*>(data), size), true});
    LoadAndPaint(testing_support::MakeZip(items), size, c);
    // The parser alone over the input in place.
    auto d = std::make_unique<SkinDescription>();
    ParseSkinIni(d.get(), data, size);
}

const bool registered =
    RegisterTarget(
        {"skin-package", InputShape::kBinary, 1500, SkinSeeds, RunSkin, {{0, 64}}, false}) &&
    RegisterTarget({"skin-ini", InputShape::kText8, 1500, IniSeeds, RunIni, {}, false});

}  // namespace
}  // namespace fuzz
