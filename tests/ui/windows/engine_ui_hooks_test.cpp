// The window side of an engine record's life as the input method installs it.
#include "ui/windows/engine_ui_hooks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine_create.h"
#include "engine/engine_fixture.h"
#include "engine/ui_hooks.h"
#include "ui/windows/ui_state_block.h"

using namespace engine_test;

namespace {

const GUID kGuid = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

// A record whose main table and settings carry kGuid and the current format.
void Own(Engine* e) {
    e->guid = kGuid;
    std::memcpy(e->mainTable->view + 12, &kGuid, 16);
    std::memcpy(e->mainTable->view + 28, &kTableVersion, 2);
    std::memcpy(e->soft->guid, &kGuid, 16);
}

struct Installed {
    Installed() { InstallEngineUIHooks(); }
    ~Installed() { SetEngineUIHooks(nullptr); }
};

TEST(EngineUIHooks, PreparationAllocatesTheWindowStateAndLoadsTheSkinOfLastResort) {
    Installed hooks;
    TestEngine t;
    Own(t.e);
    ASSERT_TRUE(PrepareOpenedEngine(t.e));
    ASSERT_NE(t.e->uiState, nullptr);
    EXPECT_STREQ(t.e->uiState->skin.path, L"fromResource");
    EXPECT_NE(t.e->uiState->images.images[kSlotStatusBar], nullptr);
    UIHooks().release(t.e);
}

TEST(EngineUIHooks, ReleaseDestroysTheWindowsAndFreesTheState) {
    Installed hooks;
    TestEngine t;
    Own(t.e);
    ASSERT_TRUE(PrepareOpenedEngine(t.e));
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                             nullptr);
    t.e->windows.candidateWindow = w;
    UIHooks().release(t.e);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(t.e->windows.candidateWindow, nullptr);
    EXPECT_EQ(t.e->uiState, nullptr);
    UIHooks().release(t.e);  // nothing left: nothing happens
}

}  // namespace
