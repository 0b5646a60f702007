// An install environment for tests: the machine's, with what a test sets replaced. Folders
// point at scratch folders, the Windows version is chosen, questions get queued answers,
// launches and restart operations are recorded instead of done, log lines are kept, and
// fake framework objects can stand in for msctf's.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "installer/install/environment.h"
#include "support/fake_framework.h"

namespace testing_support {

class TestEnvironment : public InstallEnvironment {
public:
    unsigned version = kWindows8;
    std::wstring familyKey;  // empty: the machine's
    // Empty: the machine's folder.
    std::wstring system, wow64, appData, programs, programFiles, windows, fonts, temp, desktop,
        cache, documents;
    FakeProfiles* profiles = nullptr;      // null: msctf's
    FakeCategories* categories = nullptr;  // null: msctf's
    bool noProfiles = false;               // the profile object cannot be created

    std::deque<int> answers;              // given in turn; IDNO when none is left
    std::vector<std::wstring> questions;  // texts asked
    std::vector<std::pair<std::wstring, std::wstring>> launches;
    std::vector<std::pair<std::wstring, std::wstring>> restartOps;  // (from, to or "")
    std::vector<std::wstring> log;
    std::vector<int> positions;

    std::wstring SystemFolder() override {
        return system.empty() ? InstallEnvironment::SystemFolder() : system;
    }
    std::wstring SystemWow64Folder() override {
        return wow64.empty() ? InstallEnvironment::SystemWow64Folder() : wow64;
    }
    std::wstring CommonAppData() override {
        return appData.empty() ? InstallEnvironment::CommonAppData() : appData;
    }
    std::wstring CommonPrograms() override {
        return programs.empty() ? InstallEnvironment::CommonPrograms() : programs;
    }
    std::wstring ProgramFiles() override {
        return programFiles.empty() ? InstallEnvironment::ProgramFiles() : programFiles;
    }
    std::wstring WindowsFolder() override {
        return windows.empty() ? InstallEnvironment::WindowsFolder() : windows;
    }
    std::wstring FontsFolder() override {
        return fonts.empty() ? InstallEnvironment::FontsFolder() : fonts;
    }
    std::wstring TempFolder() override {
        return temp.empty() ? InstallEnvironment::TempFolder() : temp;
    }
    std::wstring DesktopFolder() override {
        return desktop.empty() ? InstallEnvironment::DesktopFolder() : desktop;
    }
    std::wstring InternetCache() override {
        return cache.empty() ? InstallEnvironment::InternetCache() : cache;
    }
    std::wstring DocumentsFolder() override {
        return documents.empty() ? InstallEnvironment::DocumentsFolder() : documents;
    }
    std::wstring FamilyKey() override {
        return familyKey.empty() ? InstallEnvironment::FamilyKey() : familyKey;
    }
    unsigned WindowsVersion() override { return version; }

    bool Launch(const wchar_t* file, const wchar_t* parameters, bool) override {
        launches.emplace_back(file, parameters ? parameters : L"");
        return true;
    }
    int Ask(HWND, const wchar_t* text, const wchar_t*, UINT) override {
        questions.emplace_back(text);
        if (answers.empty()) return IDNO;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    bool ScheduleAtRestart(const wchar_t* from, const wchar_t* to) override {
        restartOps.emplace_back(from, to ? to : L"");
        return true;
    }
    void Progress(int position, const wchar_t* line) override {
        positions.push_back(position);
        if (line) log.emplace_back(line);
    }
    HRESULT CreateProfiles(ITfInputProcessorProfiles** out) override {
        if (noProfiles) {
            *out = nullptr;
            return REGDB_E_CLASSNOTREG;
        }
        if (!profiles) return InstallEnvironment::CreateProfiles(out);
        profiles->AddRef();
        *out = profiles;
        return S_OK;
    }
    HRESULT CreateCategoryMgr(ITfCategoryMgr** out) override {
        if (!categories) return InstallEnvironment::CreateCategoryMgr(out);
        categories->AddRef();
        *out = categories;
        return S_OK;
    }
    void BroadcastLayoutChange() override {}

    // The whole log as one text.
    std::wstring LogText() const {
        std::wstring s;
        for (const auto& l : log) s += l;
        return s;
    }
};

}  // namespace testing_support
