// A test installation with the built input method module, opened as the configuration
// program opens it, for the tests of the table page and the viewer.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "config/table_commands.h"
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"
#include "support/installed_ime.h"
#include "support/mapped_table.h"
#include "support/test_files.h"

namespace testing_support {

inline constexpr wchar_t kModule[] = L"zantabletest";

// An installation with the built module, opened as the configuration program opens it.
struct TableInstallation {
    InstalledIme ime;
    Engine* engine = nullptr;
    explicit TableInstallation(
        std::vector<FixtureEntry> entries = InstalledIme::DefaultMainEntries())
        : ime(std::move(entries)) {
        ime.WriteValue(L"IMEName", kModule);
        EXPECT_FALSE(
            PlaceSystemModule(Beside(L"zanTSF.dll"), std::wstring(kModule) + L".ime").empty());
        engine = Engine::CreateForConfig(ime.guidText);
        EXPECT_NE(engine, nullptr);
        if (!engine) return;
        for (int cls : {0, 1, 2, 16}) engine->soft->classPermissions[cls] = kClassWritable;
        std::wcscpy(engine->soft->classAliases[2], L"用户");
        std::wcscpy(engine->soft->classAliases[16], L"人名");
        std::wcscpy(engine->soft->productName, L"表测试");
    }
    ~TableInstallation() { Engine::DestroyForConfig(engine); }
    std::wstring Main() const { return ime.Path(L"main.dmg"); }
    TableCommand Command(int cls, const wchar_t* file = L"main.dmg") {
        path = ime.Path(file);
        ManagerTable t = std::wstring(file) == L"main.dmg"   ? ManagerTable::Main
                         : std::wstring(file) == L"temp.dmg" ? ManagerTable::Temp
                                                             : ManagerTable::Association;
        return {engine, nullptr, nullptr, t, cls, path.c_str()};
    }
    std::set<std::string> Rows() const {
        std::set<std::string> out;
        for (const TableRow& r : ReadRows(engine->mainTable)) out.insert(r.code + "|" + r.word);
        return out;
    }
    std::wstring path;
};

}  // namespace testing_support
