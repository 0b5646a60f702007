#include "support/keys/keypad_engine.h"

#include <cstdlib>
#include <cstring>

#include "core/settings/config_blocks.h"

namespace testing_support {

namespace {

FakeKeyboard* keyboard = nullptr;

void Wrap(MappedFile* f, std::vector<uint8_t>& bytes) {
    std::memset(f, 0, sizeof *f);
    f->size = static_cast<int32_t>(bytes.size());
    f->view = bytes.data();
}

}  // namespace

FakeKeyboard::FakeKeyboard() {
    table_ = Win32Platform();
    table_.tickCount = [] { return keyboard ? keyboard->ticks_ : uint64_t{0}; };
    table_.keyEvent = [](uint8_t vk, uint32_t flags) {
        if (!keyboard) return;
        const bool up = (flags & KEYEVENTF_KEYUP) != 0;
        keyboard->sent.push_back({vk, up});
        if (vk == VK_CAPITAL && !up && keyboard->sentCapsLockToggles)
            keyboard->caps_ = !keyboard->caps_;
    };
    table_.keyState = [](int vk) -> int16_t {
        if (!keyboard) return 0;
        int16_t s = 0;
        const int k = vk & 0xFF;
        bool down = keyboard->down_[k];
        if (k == VK_SHIFT) down = down || keyboard->down_[VK_LSHIFT] || keyboard->down_[VK_RSHIFT];
        if (k == VK_CONTROL)
            down = down || keyboard->down_[VK_LCONTROL] || keyboard->down_[VK_RCONTROL];
        if (k == VK_MENU) down = down || keyboard->down_[VK_LMENU] || keyboard->down_[VK_RMENU];
        if (down) s = static_cast<int16_t>(0x8000);
        if (k == VK_CAPITAL && keyboard->caps_) s |= 1;
        return s;
    };
    keyboard = this;
    SetPlatform(&table_);
}

FakeKeyboard::~FakeKeyboard() {
    SetPlatform(nullptr);
    keyboard = nullptr;
}

std::vector<FixtureEntry> KeypadEngine::DefaultEntries() {
    return {
        {KeypadCode("64486"), "你好", 0x01000000 | 500},
        {KeypadCode("64486"), "拟好", 0x01000000 | 100},
        {KeypadCode("64"), "你", 0x01000000 | 900},
        {KeypadCode("644"), "您", 0x01000000 | 300},
        {KeypadCode("6"), "哦", 0x01000000 | 200},
        {KeypadCode("4"), "好", 0x01000000 | 200},
    };
}

KeypadEngine::KeypadEngine(std::vector<FixtureEntry> entries)
    : main_(MakeCodeTable(std::move(entries), 1)) {
    Init();
}

KeypadEngine::KeypadEngine(std::vector<uint8_t> mainTable) : main_(std::move(mainTable)) { Init(); }

void KeypadEngine::Init() {
    config_.assign(kConfigFileSize + 2, 0);
    InitConfigImage(config_.data(), kConfigFileSize);
    Wrap(&configFile_, config_);
    Wrap(&mainFile_, main_);
    e = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
    e->configFile = &configFile_;
    e->mainTable = &mainFile_;
    e->ime = FindImeConfig(&configFile_);
    e->dme = FindDmeConfig(&configFile_);
    e->skin = FindSkinConfig(&configFile_);
    e->soft = FindSoftConfig(&configFile_);
    e->page.pageEnd = -1;
    e->ime->options = kImeMainTable | kImeStyleTsfEmbedCode;
    e->ime->listOptions = 5u << kListPageShift;
    for (int c = 0x10; c <= 0x19; ++c) e->dme->keyClass[c] = kKeyCodeStart | kKeyCodeContinue;
    SetKeyFunction(&e->dme->keys, VK_SPACE, keyfn::kCommit);
    SetKeyFunction(&e->dme->keys, VK_ESCAPE, keyfn::kClearInput);
    SetKeyFunction(&e->dme->keys, VK_BACK, keyfn::kDeleteBefore);
    SetKeyFunction(&e->dme->keys, VK_NEXT, keyfn::kPageDown);
}

KeypadEngine::~KeypadEngine() { std::free(e); }

std::string KeypadCode(const char* digits) {
    std::string s;
    for (; *digits; ++digits) s.push_back(static_cast<char>(0x10 + (*digits - '0')));
    return s;
}

}  // namespace testing_support
