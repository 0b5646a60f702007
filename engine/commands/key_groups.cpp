#include "engine/commands/key_groups.h"

#include <windows.h>

#include <cwchar>
#include <string_view>

#include "core/settings/key_names.h"
#include "engine/platform.h"

namespace {

constexpr size_t kMaxGroupUnits = 64;

struct Modifier {
    const wchar_t* name;
    uint8_t vk;
};
constexpr Modifier kModifiers[] = {
    {L"Shift", VK_SHIFT}, {L"Alt", VK_MENU}, {L"Ctrl", VK_CONTROL}, {L"Win", VK_LWIN}};

// A key text ("a", "A" with its Shift bit 0x100, "键F5"), a decimal code or a 0x code;
// 0 when none.
int ReadKey(std::wstring_view text) {
    if (text.empty() || text.size() > 8) return 0;
    const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] | 0x20) == L'x';
    const bool decimal = text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
    if (hex || decimal) {
        int value = 0;
        for (wchar_t c : hex ? text.substr(2) : text) {
            const wchar_t lower = static_cast<wchar_t>(c | 0x20);
            const int d = c >= L'0' && c <= L'9'                  ? c - L'0'
                          : hex && lower >= L'a' && lower <= L'f' ? lower - L'a' + 10
                                                                  : -1;
            if (d < 0) return 0;
            value = value * (hex ? 16 : 10) + d;
            if (value >= 0xFF) return 0;
        }
        return value;
    }
    // The whole text must be one key's text, with no modifier other than its Shift.
    const KeyCombination code = ParseKeyCombination(text);
    if (code <= 0 || (code & ~(keycombo::kKeyMask | keycombo::kShift)) != 0) return 0;
    if (std::wstring_view(FormatKeyCombination(code)) != text) return 0;
    const int vk = static_cast<int>(code & keycombo::kKeyMask);
    return vk > 0 && vk < 0xFF ? static_cast<int>(code) : 0;
}

void Press(uint8_t vk) { PLATFORM_CALL(keyEvent)(vk, 0); }
void Release(uint8_t vk) { PLATFORM_CALL(keyEvent)(vk, KEYEVENTF_KEYUP); }

// One group's text between "<" and ">"; false when it names no key.
bool PlayGroup(std::wstring_view group) {
    uint8_t mods[4];
    int modCount = 0;
    // Modifiers follow the key, each "+Name".
    std::wstring_view rest = group;
    for (;;) {
        bool found = false;
        for (const Modifier& m : kModifiers) {
            const std::wstring_view suffix(m.name);
            if (rest.size() > suffix.size() + 1 && rest.ends_with(suffix) &&
                rest[rest.size() - suffix.size() - 1] == L'+') {
                rest.remove_suffix(suffix.size() + 1);
                if (modCount < 4) mods[modCount++] = m.vk;
                found = true;
            }
        }
        if (!found) break;
    }
    int repeat = 1;
    const size_t star = rest.rfind(L'*');
    if (star != std::wstring_view::npos && star > 0 && star + 1 < rest.size()) {
        int count = 0;
        bool number = true;
        for (wchar_t c : rest.substr(star + 1)) {
            if (c < L'0' || c > L'9') {
                number = false;
                break;
            }
            if (count < 100000) count = count * 10 + (c - L'0');
        }
        if (number) {
            repeat = count < 1 ? 1 : count > kMaxKeyRepeat ? kMaxKeyRepeat : count;
            rest = rest.substr(0, star);
        }
    }
    const int key = ReadKey(rest);
    if (!key) return false;
    if ((key & keycombo::kShift) && modCount < 4) mods[modCount++] = VK_SHIFT;
    const int vk = key & 0xFF;
    // Modifiers were read from the back: press them in written order.
    for (int i = modCount - 1; i >= 0; --i) Press(mods[i]);
    for (int i = 0; i < repeat; ++i) {
        Press(static_cast<uint8_t>(vk));
        Release(static_cast<uint8_t>(vk));
    }
    for (int i = 0; i < modCount; ++i) Release(mods[i]);
    return true;
}

}  // namespace

int PlayKeyGroups(const wchar_t* argument) {
    if (!argument) return 0;
    std::wstring_view text(argument, wcsnlen(argument, 512));
    if (text.starts_with(L"keyboard(")) text.remove_prefix(9);
    int played = 0;
    size_t i = 0;
    while (i < text.size() && text[i] != L')' && text[i] != L',') {
        if (text[i] != L'<') {
            ++i;
            continue;
        }
        const size_t end = text.find(L'>', i + 1);
        if (end == std::wstring_view::npos) break;
        const std::wstring_view group = text.substr(i + 1, end - i - 1);
        if (group.size() <= kMaxGroupUnits && PlayGroup(group)) ++played;
        i = end + 1;
    }
    return played;
}
