// Linked with malloc and realloc wrapped (see tests/CMakeLists.txt), so that the builder's
// duplicate tree can be refused its node pool (the compiler may turn realloc of nothing
// into malloc).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "core/base/avl_tree.h"
#include "core/tabletools/table_builder.h"
#include "support/mapped_table.h"
#include "support/test_files.h"

extern "C" void* __real_realloc(void* p, size_t n);
extern "C" void* __real_malloc(size_t n);

namespace {
// Blocks of this size or more are refused.
size_t g_failFrom = SIZE_MAX;
// The pool for the three records fails, the tree object itself does not (the sizes differ
// between targets).
constexpr size_t kPoolBlock = 3 * sizeof(AvlNode);
static_assert(sizeof(AvlTree) < kPoolBlock);
}  // namespace

extern "C" void* __wrap_realloc(void* p, size_t n) {
    if (n >= g_failFrom) return nullptr;
    return __real_realloc(p, n);
}
extern "C" void* __wrap_malloc(size_t n) {
    if (n >= g_failFrom) return nullptr;
    return __real_malloc(n);
}

namespace {

using testing_support::FileExists;
using testing_support::PrivateTempFolder;
using testing_support::TempDir;

void Collect(void* context, const wchar_t* text, int32_t, int32_t) {
    if (text) static_cast<std::wstring*>(context)->append(text).append(L"|");
}

TEST(BuilderOutOfMemory, StopsWithAnErrorInsteadOfDroppingDuplicates) {
    PrivateTempFolder temp;
    const TempDir& dir = temp.dir();

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

    g_failFrom = kPoolBlock;
    int32_t parsed = CodeTableBuilder::ParseLines(b);
    g_failFrom = SIZE_MAX;
    EXPECT_EQ(parsed, 0);
    EXPECT_EQ(b->error, kBuilderOutOfMemory);
    EXPECT_EQ(b->uniqueCount, 0);
    EXPECT_FALSE(FileExists(dir / kBuilderRecordFileName));
    EXPECT_EQ(CodeTableBuilder::WriteTable(b), 0);
    EXPECT_FALSE(FileExists(out));
    EXPECT_EQ(messages, L"");
    CodeTableBuilder::Destroy(b);
}

TEST(BuilderOutOfMemory, TextThatCannotBeAddedFailsTheBuild) {
    PrivateTempFolder temp;
    const TempDir& dir = temp.dir();

    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    auto* copy = static_cast<wchar_t*>(std::malloc(sizeof L"a\tk1"));
    std::memcpy(copy, L"a\tk1", sizeof L"a\tk1");
    g_failFrom = 1;
    int added = CodeTableBuilder::AddText(b, copy);  // the text is freed
    g_failFrom = SIZE_MAX;
    EXPECT_EQ(added, 0);
    auto* second = static_cast<wchar_t*>(std::malloc(sizeof L"b\tk2"));
    std::memcpy(second, L"b\tk2", sizeof L"b\tk2");
    EXPECT_EQ(CodeTableBuilder::AddText(b, second), 1);
    std::wstring out = dir / L"out.dmg";
    wcscpy(b->outputPath, out.c_str());
    EXPECT_EQ(CodeTableBuilder::ParseLines(b), 0);
    EXPECT_EQ(b->error, kBuilderOutOfMemory);
    EXPECT_EQ(CodeTableBuilder::WriteTable(b), 0);
    EXPECT_FALSE(FileExists(out));
    CodeTableBuilder::Destroy(b);
}

}  // namespace
