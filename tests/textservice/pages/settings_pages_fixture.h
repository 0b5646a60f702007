// The settings pages object of the built library, a parent window for its pages and an
// engine record over settings blocks in memory, with its data folder in a scratch folder.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/record/engine.h"
#include "support/settings_blocks.h"
#include "support/test_files.h"
#include "textservice/export/exported_object.h"

namespace testing_support {

inline std::wstring LibraryPath() {
    std::wstring self = SelfPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + L"zanTSF.dll";
}

class SettingsPagesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(LibraryPath().c_str());
        ASSERT_NE(module_, nullptr);
        auto get = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "KXITFGetObject")));
        ASSERT_NE(get, nullptr);
        void* out = nullptr;
        ASSERT_EQ(get(kObjectSettingsPages, &out), 1);
        pages_ = static_cast<SettingsPageObject*>(out);
        parent_ = CreateWindowExW(0, L"STATIC", L"settings", WS_OVERLAPPEDWINDOW, 0, 0, 800, 700,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        engine_ = static_cast<Engine*>(std::calloc(1, sizeof(Engine)));
        engine_->ime = blocks_.ime.get();
        engine_->dme = blocks_.dme.get();
        engine_->skin = blocks_.skin.get();
        wcscpy_s(engine_->dataLocation, (dir_.path() + L"\\").c_str());
    }
    void TearDown() override {
        if (pages_) {
            pages_->destroy(0);
            pages_->release(pages_);
        }
        if (parent_) DestroyWindow(parent_);
        std::free(engine_);
        if (module_) FreeLibrary(module_);
    }

    HWND OpenPage(int page) {
        HWND h = pages_->create(parent_, page, engine_);
        EXPECT_NE(h, nullptr);
        return h;
    }
    // Picks a combo box item as the user does: the selection, then the change notice.
    static void Select(HWND page, int id, int item) {
        SendDlgItemMessageW(page, id, CB_SETCURSEL, item, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    HMODULE module_ = nullptr;
    SettingsPageObject* pages_ = nullptr;
    HWND parent_ = nullptr;
    SettingsBlocks blocks_;
    TempDir dir_;
    Engine* engine_ = nullptr;
};

}  // namespace testing_support
