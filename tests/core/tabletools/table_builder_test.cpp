#include "core/tabletools/table_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/base/md5.h"
#include "core/base/text_file.h"
#include "core/table/table_digest.h"
#include "core/table/table_format.h"
#include "support/mapped_table.h"
#include "support/table_invariants.h"
#include "support/test_files.h"

using testing_support::CheckTableInvariants;
using testing_support::FileExists;
using testing_support::PrivateTempFolder;
using testing_support::ReadFileBytes;
using testing_support::TempDir;

namespace {

struct Entry {
    std::string code;
    std::string word;
    uint32_t flags;
    bool operator==(const Entry& o) const {
        return code == o.code && word == o.word && flags == o.flags;
    }
};

std::ostream& operator<<(std::ostream& os, const Entry& e) {
    os << "{code";
    for (unsigned char c : e.code) os << ' ' << std::hex << unsigned(c) << std::dec;
    return os << ", word " << e.word << ", flags " << std::hex << e.flags << std::dec << "}";
}

// Flags as the builder composes them for a line among the first 35,000.
uint32_t F(uint32_t cls, uint32_t order, bool pinned = false, bool first = true) {
    return ComposeFlags(order, cls, pinned) | (first ? kFlagFirstLines : 0);
}

std::vector<Entry> EntriesOf(const std::vector<uint8_t>& file) {
    std::vector<Entry> out;
    if (file.size() < FreshHeapStart(0)) return out;
    int32_t count = LoadI32(file.data() + 4);
    for (int32_t i = 0; i < count; ++i) {
        uint32_t off = LoadU32(file.data() + kOffsetArrayStart + 4u * i);
        if (off + 6 > file.size()) break;
        const uint8_t* e = file.data() + off;
        Entry x;
        x.flags = LoadU32(e);
        x.code.assign(reinterpret_cast<const char*>(e + 5), e[4]);
        const uint8_t* w = EntryWord(e);
        x.word.assign(reinterpret_cast<const char*>(w + 1), w[0]);
        out.push_back(x);
    }
    return out;
}

wchar_t* Dup(const std::wstring& s) {
    auto* p = static_cast<wchar_t*>(std::malloc((s.size() + 1) * sizeof(wchar_t)));
    std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(wchar_t));
    return p;
}

struct Built {
    int32_t parsed = 0;
    int written = 0;
    BuilderError error = kBuilderOk;
    std::vector<uint8_t> file;
    std::vector<Entry> entries;
    std::vector<std::wstring> messages;
    int progressCalls = 0;
};

void CollectProgress(void* context, const wchar_t* text, int32_t, int32_t) {
    auto* b = static_cast<Built*>(context);
    ++b->progressCalls;
    if (text) b->messages.push_back(text);
}

// Every builder test works in a %TEMP% of its own, so that the record file of one test run
// never meets that of another.
class BuilderTest : public ::testing::Test {
protected:
    std::wstring Out() const { return temp_.dir() / L"out.dmg"; }
    std::wstring RecordFile() const { return temp_.dir() / kBuilderRecordFileName; }

    template <typename Setup>
    Built Build(const std::vector<std::wstring>& texts, Setup setup) {
        Built r;
        CodeTableBuilder* b = CodeTableBuilder::Create();
        EXPECT_NE(b, nullptr);
        if (!b) return r;
        for (const auto& t : texts) EXPECT_EQ(CodeTableBuilder::AddText(b, Dup(t)), 1);
        wcscpy(b->outputPath, Out().c_str());
        b->progress = CollectProgress;
        b->progressContext = &r;
        setup(b);
        r.parsed = CodeTableBuilder::ParseLines(b);
        r.written = CodeTableBuilder::WriteTable(b);
        r.error = b->error;
        CodeTableBuilder::Destroy(b);
        EXPECT_FALSE(FileExists(RecordFile())) << "the record file stays behind";
        if (r.written) {
            r.file = ReadFileBytes(Out());
            r.entries = EntriesOf(r.file);
            EXPECT_EQ(CheckTableInvariants(r.file), "");
        }
        return r;
    }
    Built Build(const std::vector<std::wstring>& texts) {
        return Build(texts, [](CodeTableBuilder*) {});
    }

    // Every builder test works in a %TEMP% of its own.
    PrivateTempFolder temp_;
    const TempDir& dir_ = temp_.dir();
};

struct TextCase {
    const char* name;
    std::wstring text;
    std::vector<Entry> entries;  // in table order
};

TEST_F(BuilderTest, TextsGiveEntries) {
    const std::vector<TextCase> cases = {
        {"plain line", L"你\tni", {{"ni", "你", F(1, 16383)}}},
        {"category then order", L"词\tab#类3#序100", {{"ab", "词", F(18, 100)}}},
        {"order then category loses the category", L"词\tab#序100#类3", {{"ab", "词", F(1, 100)}}},
        {"delete tag", L"词\tab#删\r\n字\tcd", {{"cd", "字", F(1, 16383)}}},
        {"class and pinned tags",
         L"a\tk1#用\nb\tk2#次\nc\tk3#辅\nd\tk4#固\ne\tk5#类0\nf\tk6#类99\ng\tk7#类-4",
         {{"k1", "a", F(2, 16383)},
          {"k2", "b", F(3, 16382)},
          {"k3", "c", F(4, 16381)},
          {"k4", "d", F(1, 16380, true)},
          {"k5", "e", F(16, 16379)},
          {"k6", "f", F(31, 16378)},
          {"k7", "g", F(16, 16377)}}},
        {"doubled hash is no tag", L"w\tab##用", {{"ab##用", "w", F(1, 16383)}}},
        {"word escapes", L"a\\\\b\\rc\\td\\se\\x\tk", {{"k", "a\\b\r\nc\td e\\x", F(1, 16383)}}},
        {"no escapes in the code", L"w\ta\\tb", {{"a\\tb", "w", F(1, 16383)}}},
        {"tab inside the code part", L"w\ta\tb", {{"a\tb", "w", F(1, 16383)}}},
        {"duplicates dropped, near codes kept",
         L"w\tb\r\nw\tb\r\nw\tbb",
         {{"b", "w", F(1, 16383)}, {"bb", "w", F(1, 16381)}}},
        {"same code, words in byte order",
         L"乙\tk\r\n甲\tk",
         {{"k", "乙", F(1, 16383)}, {"k", "甲", F(1, 16382)}}},
        {"order counters per first character",
         L"甲\tn1\r\n乙\tn2\r\n丙\tm1",
         {{"m1", "丙", F(1, 16383)}, {"n1", "甲", F(1, 16383)}, {"n2", "乙", F(1, 16382)}}},
        {"order tag zero is no order",
         L"w\tn#序0\r\nv\tn2",
         {{"n", "w", F(1, 16383)}, {"n2", "v", F(1, 16382)}}},
        {"order tag taken as u16", L"w\tn#序65537", {{"n", "w", F(1, 1)}}},
        {"class directive user",
         L"---config@码表分类=主码-用户码表\r\nw\tk",
         {{"k", "w", F(2, 16383)}}},
        {"class directive system",
         L"---config@码表分类=主码-系统码表\r\nw\tk",
         {{"k", "w", F(1, 16383)}}},
        {"class directive secondary",
         L"---config@码表分类=主码-次显码表\r\nw\tk",
         {{"k", "w", F(3, 16383)}}},
        {"class directive auxiliary",
         L"---config@码表分类=辅码码表\r\nw\tk",
         {{"k", "w", F(4, 16383)}}},
        {"class directive category",
         L"---config@码表分类=主码-3\r\nw\tk",
         {{"k", "w", F(18, 16383)}}},
        {"class directive category 0",
         L"---config@码表分类=主码-0\r\nw\tk",
         {{"k", "w", F(16, 16383)}}},
        {"class directive category 99",
         L"---config@码表分类=主码-99\r\nw\tk",
         {{"k", "w", F(31, 16383)}}},
        {"class tag beats the directive",
         L"---config@码表分类=主码-用户码表\r\nw\tk#次",
         {{"k", "w", F(3, 16383)}}},
        {"last directive wins, also behind data lines",
         L"w\tk\r\n---config@码表分类=辅码码表\r\n---config@码表分类=主码-次显码表",
         {{"k", "w", F(3, 16383)}}},
        {"unknown directives have no effect",
         L"---config@码表别名=x\r\n---config@主码-用户码表别名=y\r\nw\tk",
         {{"k", "w", F(1, 16383)}}},
        {"global order",
         L"---config@全局排序数值=500\r\nw\tk\r\nv\tk2#序7",
         {{"k", "w", F(1, 500)}, {"k2", "v", F(1, 7)}}},
        {"negative global order clamped to 1",
         L"---config@全局排序数值=-5\r\nw\tk",
         {{"k", "w", F(1, 1)}}},
        {"large global order clamped to 65535",
         L"---config@全局排序数值=70000\r\nw\tk",
         {{"k", "w", F(1, 65535)}}},
        {"global order 0 is none", L"---config@全局排序数值=0\r\nw\tk", {{"k", "w", F(1, 16383)}}},
        {"initial order",
         L"---config@初始化排序数值=2000\r\nw\tk\r\nv\tk2",
         {{"k", "w", F(1, 1999)}, {"k2", "v", F(1, 1998)}}},
        {"initial order below the floor stays",
         L"---config@初始化排序数值=500\r\nw\tk\r\nv\tk2",
         {{"k", "w", F(1, 500)}, {"k2", "v", F(1, 500)}}},
        {"large initial order clamped",
         L"---config@初始化排序数值=70000\r\nw\tk",
         {{"k", "w", F(1, 65534)}}},
        {"negative initial order clamped to 1",
         L"---config@初始化排序数值=-3\r\nw\tk",
         {{"k", "w", F(1, 1)}}},
        {"orders run down to 1024",
         L"---config@初始化排序数值=1026\r\na\tk1\nb\tk2\nc\tk3\nd\tk4",
         {{"k1", "a", F(1, 1025)},
          {"k2", "b", F(1, 1024)},
          {"k3", "c", F(1, 1024)},
          {"k4", "d", F(1, 1024)}}},
        {"comments and the slash escape",
         L"//x\ty\r\n///x\ty\r\n///\r\n---config@foo\tbar\r\n---config@",
         {{"y", "//x", F(1, 16383)}}},
        {"every line end",
         L"a\tk1\rb\tk2\nc\tk3\r\n\r\n\n\rd\tk4",
         {{"k1", "a", F(1, 16383)},
          {"k2", "b", F(1, 16382)},
          {"k3", "c", F(1, 16381)},
          {"k4", "d", F(1, 16380)}}},
        {"LF line ends only (the record file holds every line)",
         L"a\tk1\nb\tk2\nc\tk3\n",
         {{"k1", "a", F(1, 16383)}, {"k2", "b", F(1, 16382)}, {"k3", "c", F(1, 16381)}}},
        {"lines without code rejected", L"no tab\r\nw\t\r\n\t", {}},
        {"full-width digits become key bytes",
         L"中\t１２\r\n国\t＊０９",
         {{"\x0A\x10\x19", "国", F(1, 16383)}, {"\x11\x12", "中", F(1, 16383)}}},
        {"other full-width characters stay", L"中\t）：", {{"）：", "中", F(1, 16383)}}},
        {"surrogate pair word", L"\U0001F600\tk", {{"k", "\xF0\x9F\x98\x80", F(1, 16383)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Built r = Build({c.text});
        ASSERT_EQ(r.written, 1);
        EXPECT_EQ(r.entries, c.entries);
    }
}

TEST_F(BuilderTest, SeveralTexts) {
    Built r = Build({L"甲\tk1\r\n乙\tk2", L"甲\tk1\n丙\tk3\n"});
    EXPECT_EQ(r.parsed, 4);
    EXPECT_EQ(r.entries, (std::vector<Entry>{{"k1", "甲", F(1, 16383)},
                                             {"k2", "乙", F(1, 16382)},
                                             {"k3", "丙", F(1, 16380)}}));
    ASSERT_FALSE(r.messages.empty());
    EXPECT_NE(r.messages.back().find(L"原始码表行数: 5"), std::wstring::npos);
}

TEST_F(BuilderTest, DirectivesCarryIntoLaterTexts) {
    // A global order holds the counters; once it is cleared they go on from where they were.
    Built r =
        Build({L"---config@全局排序数值=500\r\n---config@码表分类=主码-用户码表\r\na\tk1\r\nb\tk2",
               L"---config@全局排序数值=0\r\nc\tk3"});
    EXPECT_EQ(r.entries,
              (std::vector<Entry>{
                  {"k1", "a", F(2, 500)}, {"k2", "b", F(2, 500)}, {"k3", "c", F(2, 16383)}}));
}

TEST_F(BuilderTest, TextsReadFromFilesOfEachEncoding) {
    // "中<TAB>１２#序9" as UTF-8 with and without a byte-order mark and as UTF-16LE.
    const std::string utf8 =
        "\xE4\xB8\xAD\t\xEF\xBC\x91\xEF\xBC\x92#\xE5\xBA\x8F"
        "9\r\n";
    const std::vector<std::string> files = {
        utf8,
        "\xEF\xBB\xBF" + utf8,
        std::string("\xFF\xFE\x2D\x4E\x09\x00\x11\xFF\x12\xFF\x23\x00\x8F\x5E\x39\x00", 16),
    };
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        std::wstring path = dir_ / (L"text" + std::to_wstring(i) + L".txt");
        ASSERT_TRUE(testing_support::WriteFileBytes(path, files[i]));
        wchar_t* text = nullptr;
        ASSERT_EQ(ReadTextFile(path.c_str(), &text), 0);
        Built r = Build({text});
        std::free(text);
        EXPECT_EQ(r.entries, (std::vector<Entry>{{"\x11\x12", "中", F(1, 9)}}));
    }
}

TEST_F(BuilderTest, ReportsTheSummary) {
    Built r = Build({L"a\tb\r\nc\td\r\nc\td\r\n//x"});
    ASSERT_EQ(r.written, 1);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0],
              L"　　码表信息: \r\n　　  码表大小: 16字节\r\n　　  原始码表行数: 4\r\n"
              L"　　  有效编码行数: 2");
    // A text with LF line ends counts its lines too.
    Built lf = Build({L"a\tb\nc\td\n"});
    ASSERT_EQ(lf.messages.size(), 1u);
    EXPECT_NE(lf.messages[0].find(L"原始码表行数: 3"), std::wstring::npos);
}

TEST_F(BuilderTest, LengthLimitsMeasureTheWholeText) {
    const std::wstring w85(85, L'\x4E2D');  // 255 bytes
    const std::wstring w86(86, L'\x4E2D');  // 258 bytes
    const std::wstring c255(255, L'a');
    const std::wstring c256(256, L'a');
    const std::wstring long1 = std::wstring(90, L'\x4E2D') + L"\x4E00";
    const std::wstring long2 = std::wstring(90, L'\x4E2D') + L"\x4E01";
    const std::wstring text = w85 + L"\tk1\r\n" + w86 + L"\tk2\r\n" + L"w\t" + c255 + L"\r\n" +
                              L"v\t" + c256 + L"\r\n" + long1 + L"\tk3\r\n" + long2 + L"\tk3\r\n" +
                              L"u\t#用\r\n" + L"\tk4\r\n" + L"\xD800x\tk5";
    Built r = Build({text});
    ASSERT_EQ(r.written, 1);
    std::string w85u8;
    for (int i = 0; i < 85; ++i) w85u8 += "中";
    EXPECT_EQ(r.entries, (std::vector<Entry>{{std::string(255, 'a'), "w", F(1, 16383)},
                                             {"k1", w85u8, F(1, 16383)}}));
    const std::vector<std::wstring> want = {
        L"格式错误的词条定义: " + w86 + L" k2",
        L"格式错误的词条定义: v " + c256,
        L"格式错误的词条定义: " + long1 + L" k3",
        L"格式错误的词条定义: " + long2 + L" k3",
        L"格式错误的词条定义: u ",
        L"格式错误的词条定义:  k4",
        L"格式错误的词条定义: \xD800x k5",
    };
    ASSERT_EQ(r.messages.size(), want.size() + 1);
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(r.messages[i], want[i]) << i;
    // Refused records leave empty slots between the offset array and the heap.
    EXPECT_EQ(LoadU32(r.file.data()), FreshHeapStart(9));
    EXPECT_EQ(LoadI32(r.file.data() + 4), 2);
    EXPECT_NE(r.messages.back().find(L"码表大小: " + std::to_wstring(6 + 255 + 1 + 6 + 2 + 255) +
                                     L"字节"),
              std::wstring::npos);
}

TEST_F(BuilderTest, FirstLinesFlagEndsAt35000AcceptedLines) {
    std::wstring text;
    // The second line repeats the first: a duplicate still counts as an accepted line.
    text += L"w\tk0\r\nw\tk0\r\n//comment\r\nno tab\r\n";
    for (int i = 2; i < 35005; ++i) text += L"w\tk" + std::to_wstring(i) + L"\r\n";
    Built r = Build({text});
    EXPECT_EQ(r.parsed, 35005);
    ASSERT_EQ(r.written, 1);
    ASSERT_EQ(r.entries.size(), 35004u);
    int withFlag = 0;
    for (const auto& e : r.entries) {
        int line = std::stoi(e.code.substr(1));
        bool first = (e.flags & kFlagFirstLines) != 0;
        EXPECT_EQ(first, line < 35000) << e.code;
        withFlag += first;
    }
    EXPECT_EQ(withFlag, 34999);
}

TEST_F(BuilderTest, HeaderBytesFollowTheLayout) {
    Built r = Build({L"w\tk\r\nv\tkk"}, [](CodeTableBuilder* b) {
        b->mode = 1;
        for (int i = 0; i < 16; ++i) b->builderId[i] = static_cast<uint8_t>(0xA0 + i);
        std::strcpy(b->signature, "signature");
    });
    ASSERT_EQ(r.written, 1);
    const std::vector<uint8_t>& f = r.file;
    ASSERT_EQ(f.size(), FreshHeapStart(2) + 8u + 9u);
    EXPECT_EQ(LoadU32(&f[0]), FreshHeapStart(2));
    EXPECT_EQ(LoadI32(&f[4]), 2);
    EXPECT_EQ(LoadU32(&f[8]), kTableKindMain);
    for (int i = 12; i < 28; ++i) EXPECT_EQ(f[i], 0) << "guid " << i;
    EXPECT_EQ(f[28] | (f[29] << 8), 0x0304);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[30]), 32),
              std::string("SYSMB") + std::string(27, '\0'));
    EXPECT_EQ(f[62], 'Y');
    EXPECT_EQ(f[63], 'N');
    EXPECT_EQ(f[64], 'M');
    EXPECT_EQ(f[65], 'A');
    for (int i = 0; i < 16; ++i) EXPECT_EQ(f[66 + i], 0xA0 + i);
    // Digest: the MD5 hex text of the MD5 hex text of the MD5 hex text, cut to 16.
    char h1[33], h2[33], h3[33];
    Md5::DigestHex("signature", 9, h1);
    Md5::DigestHex(h1, 32, h2);
    Md5::DigestHex(h2, 32, h3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[82]), 16), std::string(h3, 16));
    for (int i = 98; i < 132; ++i) EXPECT_EQ(f[i], 0) << i;
    EXPECT_EQ(LoadI32(&f[132]), 100);
    for (int i = 136; i < 156; ++i) EXPECT_EQ(f[i], 0) << i;
    EXPECT_EQ(LoadU32(&f[kOffsetArrayStart + 8]), 0u);  // the spare slot

    Built plain = Build({L"w\tk"});
    ASSERT_EQ(plain.written, 1);
    EXPECT_EQ(plain.file[64], 'S');
    EXPECT_EQ(plain.file[65], 'N');
    for (int i = 66; i < 98; ++i) EXPECT_EQ(plain.file[i], 0) << "no identity or digest " << i;
}

TEST_F(BuilderTest, TextWithoutLinesGivesAnEmptyTable) {
    Built r = Build({L"// only a comment\r\n---config@码表分类=主码-用户码表\r\n"});
    EXPECT_EQ(r.parsed, 0);
    ASSERT_EQ(r.written, 1);
    EXPECT_EQ(r.file.size(), FreshHeapStart(0));
    EXPECT_EQ(LoadU32(&r.file[0]), FreshHeapStart(0));
    EXPECT_EQ(LoadI32(&r.file[4]), 0);
    EXPECT_TRUE(r.entries.empty());
}

TEST_F(BuilderTest, RecordFileLivesOnlyDuringTheBuild) {
    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(CodeTableBuilder::AddText(b, Dup(L"w\tk")), 1);
    wcscpy(b->outputPath, Out().c_str());
    EXPECT_EQ(CodeTableBuilder::ParseLines(b), 1);
    EXPECT_TRUE(FileExists(RecordFile()));
    EXPECT_EQ(CodeTableBuilder::ParseLines(b), 0);  // one parse per builder
    CodeTableBuilder::Destroy(b);
    EXPECT_FALSE(FileExists(RecordFile()));
    EXPECT_FALSE(FileExists(Out()));
}

TEST_F(BuilderTest, OutputThatCannotBeCreated) {
    CodeTableBuilder* b = CodeTableBuilder::Create();
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(CodeTableBuilder::AddText(b, Dup(L"w\tk")), 1);
    std::wstring bad = dir_ / L"missing\\out.dmg";
    wcscpy(b->outputPath, bad.c_str());
    EXPECT_EQ(CodeTableBuilder::ParseLines(b), 1);
    EXPECT_EQ(CodeTableBuilder::WriteTable(b), 0);
    EXPECT_EQ(b->error, kBuilderNoOutputFile);
    EXPECT_FALSE(FileExists(RecordFile()));
    CodeTableBuilder::Destroy(b);
    EXPECT_FALSE(FileExists(bad));
}

// Encoders that write codes upper-cased and words reversed.
int UpperCode(const wchar_t* text, int units, uint8_t* out, int capacity) {
    if (out && units <= capacity) {
        for (int i = 0; i < units; ++i) out[i] = static_cast<uint8_t>(towupper(text[i]));
    }
    return units;
}
int ReversedWord(const wchar_t* text, int units, uint8_t* out, int capacity) {
    if (out && units <= capacity) {
        for (int i = 0; i < units; ++i) out[i] = static_cast<uint8_t>(text[units - 1 - i]);
    }
    return units;
}

TEST_F(BuilderTest, EncoderHooksReplaceUtf8) {
    Built r = Build({L"ab\tkx\r\ncd\t１z"}, [](CodeTableBuilder* b) {
        b->codeEncoder = UpperCode;
        b->wordEncoder = ReversedWord;
    });
    ASSERT_EQ(r.written, 1);
    // With a code encoder the keypad characters are the encoder's business: this one keeps
    // the low byte of U+FF11.
    EXPECT_EQ(r.entries,
              (std::vector<Entry>{{"\x11Z", "dc", F(1, 16383)}, {"KX", "ba", F(1, 16383)}}));
}

TEST_F(BuilderTest, ProgressCountsEveryRecord) {
    Built r = Build({L"a\tb\r\nc\td\r\nc\td"});
    // One call per measured record (the duplicate is gone) and the summary.
    EXPECT_EQ(r.progressCalls, 3);
}

}  // namespace
