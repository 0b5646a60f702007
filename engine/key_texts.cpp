#include "engine/key_texts.h"

#include <windows.h>

#include "engine/platform.h"

namespace {

constexpr int kKeys = 255;
constexpr int kTextUnits = 12;

struct KeyTextTable {
    wchar_t text[kKeys][kTextUnits];
};

struct NamedKey {
    int vk;
    const wchar_t* text;
};

constexpr NamedKey kPlainNamed[] = {
    {0x08, L"键Backspace"}, {0x09, L"键Tab"},       {0x0D, L"键Enter"},     {0x10, L"键Shift"},
    {0x11, L"键Ctrl"},      {0x12, L"键Alt"},       {0x13, L"键Pause"},     {0x14, L"键CapsLock"},
    {0x1B, L"键Esc"},       {0x20, L" "},           {0x21, L"键PageUp"},    {0x22, L"键PageDown"},
    {0x23, L"键End"},       {0x24, L"键Home"},      {0x25, L"键左箭头"},    {0x26, L"键上箭头"},
    {0x27, L"键右箭头"},    {0x28, L"键下箭头"},    {0x2A, L"键PrtSc"},     {0x2D, L"键Insert"},
    {0x2E, L"键Delete"},    {0x6A, L"\x0A"},        {0x6B, L"\x0B"},        {0x6D, L"\x0D"},
    {0x6E, L"\x0E"},        {0x6F, L"\x0F"},        {0x90, L"键NumLock"},   {0x91, L"键Scroll"},
    {0xA0, L"键左Shift"},   {0xA1, L"键右Shift"},   {0xA2, L"键左Ctrl"},    {0xA3, L"键右Ctrl"},
    {0xA4, L"键左Alt"},     {0xA5, L"键右Alt"},     {0xBA, L";"},           {0xBB, L"="},
    {0xBC, L","},           {0xBD, L"-"},           {0xBE, L"."},           {0xBF, L"/"},
    {0xC0, L"`"},           {0xDB, L"["},           {0xDC, L"\\"},          {0xDD, L"]"},
    {0xDE, L"'"},
};

constexpr NamedKey kShiftedNamed[] = {
    {0x0D, L"键Enter"}, {0x10, L"键Shift"}, {0x30, L")"}, {0x31, L"!"}, {0x32, L"@"},
    {0x33, L"#"},       {0x34, L"$"},       {0x35, L"%"}, {0x36, L"^"}, {0x37, L"&"},
    {0x38, L"*"},       {0x39, L"("},       {0xBA, L":"}, {0xBB, L"+"}, {0xBC, L"<"},
    {0xBD, L"_"},       {0xBE, L">"},       {0xBF, L"?"}, {0xC0, L"~"}, {0xDB, L"{"},
    {0xDC, L"|"},       {0xDD, L"}"},       {0xDE, L"\""},
};

constexpr void Put(KeyTextTable& t, int vk, const wchar_t* text) {
    int i = 0;
    for (; text[i] && i < kTextUnits - 1; ++i) t.text[vk][i] = text[i];
    t.text[vk][i] = 0;
}
constexpr void PutChar(KeyTextTable& t, int vk, wchar_t c) {
    t.text[vk][0] = c;
    t.text[vk][1] = 0;
}

constexpr KeyTextTable BuildPlain() {
    KeyTextTable t{};
    PutChar(t, kMarkerKey, static_cast<wchar_t>(kMarkerKey));
    for (const NamedKey& k : kPlainNamed) Put(t, k.vk, k.text);
    for (int d = 0; d <= 9; ++d) PutChar(t, 0x30 + d, static_cast<wchar_t>(L'0' + d));
    for (int c = 0; c < 26; ++c) PutChar(t, 0x41 + c, static_cast<wchar_t>(L'a' + c));
    for (int d = 0; d <= 9; ++d) PutChar(t, 0x60 + d, static_cast<wchar_t>(0x10 + d));
    const wchar_t* f[] = {L"键F1",  L"键F2",  L"键F3",  L"键F4",  L"键F5",  L"键F6",
                          L"键F7",  L"键F8",  L"键F9",  L"键F10", L"键F11", L"键F12",
                          L"键F13", L"键F14", L"键F15", L"键F16", L"键F17", L"键F18",
                          L"键F19", L"键F20", L"键F21", L"键F22", L"键F23", L"键F24"};
    for (int i = 0; i < 24; ++i) Put(t, 0x70 + i, f[i]);
    return t;
}

constexpr KeyTextTable BuildShifted() {
    KeyTextTable t{};
    PutChar(t, kMarkerKey, static_cast<wchar_t>(kMarkerKey));
    for (const NamedKey& k : kShiftedNamed) Put(t, k.vk, k.text);
    for (int c = 0; c < 26; ++c) PutChar(t, 0x41 + c, static_cast<wchar_t>(L'A' + c));
    return t;
}

constexpr KeyTextTable kPlain = BuildPlain();
constexpr KeyTextTable kShifted = BuildShifted();

}  // namespace

const wchar_t* GetKeyText(uint32_t code) {
    const uint32_t vk = code & ~kKeyTextShifted;
    if (vk >= static_cast<uint32_t>(kKeys)) return L"";
    return (code & kKeyTextShifted) ? kShifted.text[vk] : kPlain.text[vk];
}

const wchar_t* GetMarkerKeyText() {
    const bool shift = Platform().keyState(VK_SHIFT) < 0;
    return GetKeyText(kMarkerKey | (shift ? kKeyTextShifted : 0));
}
