// Linked with malloc and realloc wrapped (see tests/CMakeLists.txt), so that the builder's
// duplicate tree can be refused its node pool (the compiler may turn realloc of nothing
// into malloc).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/table_builder.h"
#include "support/test_files.h"

extern "C" void* __real_realloc(void* p, size_t n);
extern "C" void* __real_malloc(size_t n);

namespace {
// While set, blocks of 64 bytes or more are refused: the tree's pool, not the tree itself.
bool g_failLargeBlocks = false;
constexpr size_t kLargeBlock = 64;
}  // namespace

extern "C" void* __wrap_realloc(void* p, size_t n) {
    if (g_failLargeBlocks && n >= kLargeBlock) return nullptr;
    return __real_realloc(p, n);
}
extern "C" void* __wrap_malloc(size_t n) {
    if (g_failLargeBlocks && n >= kLargeBlock) return nullptr;
    return __real_malloc(n);
}

namespace {

using testing_support::FileExists;
using testing_support::TempDir;

void Collect(void* context, const wchar_t* text, int32_t, int32_t) {
    if (text) static_cast<std::wstring*>(context)->append(text).append(L"|");
}

TEST(BuilderOutOfMemory, StopsWithAnErrorInsteadOfDroppingDuplicates) {
    TempDir dir;
    std::wstring temp = dir.path() + L"\\";
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    SetEnvironmentVariableW(L"TMP", temp.c_str());

    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    const wchar_t text[] = L"a\tk1\r\nb\tk2\r\nc\tk3";
    auto* copy = static_cast<wchar_t*>(std::malloc(sizeof text));
    std::memcpy(copy, text, sizeof text);
    ASSERT_EQ(CodeTableBuilder::AddText(b, copy), 1);
    std::wstring out = dir / L"out.dmg";
    wcscpy(b->outputPath, out.c_str());
    std::wstring messages;
    b->progress = Collect;
    b->progressContext = &messages;

    g_failLargeBlocks = true;
    int32_t parsed = CodeTableBuilder::ParseLines(b);
    g_failLargeBlocks = false;
    EXPECT_EQ(parsed, 0);
    EXPECT_EQ(b->error, kBuilderOutOfMemory);
    EXPECT_EQ(b->uniqueCount, 0);
    EXPECT_FALSE(FileExists(dir / kBuilderRecordFileName));
    EXPECT_EQ(CodeTableBuilder::WriteTable(b), 0);
    EXPECT_FALSE(FileExists(out));
    EXPECT_EQ(messages, L"");
    CodeTableBuilder::Destroy(b);
}

}  // namespace
