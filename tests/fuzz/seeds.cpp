#include "fuzz/seeds.h"

#include <cstdlib>
#include <cstring>

#include "core/base/mapped_file.h"
#include "core/settings/config_blocks.h"
#include "core/settings/settings_export.h"
#include "core/settings/settings_import.h"
#include "core/table/table_format.h"
#include "core/tabletools/list_table_builder.h"
#include "core/tabletools/table_builder.h"
#include "core/tabletools/table_exporter.h"
#include "engine/temp_words.h"
#include "tablegen/key_value_table.h"
#include "tablegen/temp_table.h"

namespace fuzz {

std::wstring DefinitionText() {
    return L"---config@码表分类=主码-系统码表\r\n"
           L"---config@初始化排序数值=20000\r\n"
           L"---config@码表别名=主码\r\n"
           L"阿\ta\r\n啊\ta#序300\r\n吖\ta#固\r\n腌\ta#删\r\n锕\ta#次\r\n嗄\ta#辅\r\n"
           L"阿爸\tab\r\n阿布次\tabc#用\r\n最\tzz#类3#序100\r\n戏\tx#类16\r\n"
           L"们\tm#类1\r\n一\t１\r\n二\t１２\r\n三\t１２３#次\r\n四\t＊\r\n"
           L"换行\\r词\tnl\r\n制表\\t符\ttb\r\n空\\s格\tsp\r\n反\\\\斜\tbs\r\n"
           L"//注释\r\n///斜线\tsl\r\n笑\t\xD83D\xDE00\r\n中文\tzhongwen#序65535\r\n"
           L"英\tying\r\n英语\tyingyu\r\n英雄\tyingxiong#固#序2\r\n";
}

std::wstring KeypadDefinitionText() {
    return L"一\t１\r\n一\t１１\r\n二\t２\r\n三\t３\r\n中\t５６#序500\r\n中国\t５６４\r\n"
           L"国\t４\r\n人\t７３\r\n人民\t７３６\r\n民\t６\r\n大\t３２\r\n大家\t３２５\r\n"
           L"家\t５\r\n好\t４６#固\r\n你好\t６４\r\n你\t６\r\n的\t３#序9000\r\n是\t７\r\n"
           L"不\t２８\r\n了\t５３\r\n在\t９２\r\n有\t９６\r\n我\t９６\r\n他\t８２\r\n";
}

std::wstring ListText() {
    return L"中国\r\n中国人\r\n中国人民\r\n中文\r\n人民\r\n人民日报\r\n大家\r\n大家好\r\n"
           L"你好\r\n你好吗\r\n中#国\r\n中#文\r\n//注释\r\n///斜线\r\nhello\r\nhelp\r\n"
           L"helper\r\nworld\r\nword\r\nWord\r\nHELLO\r\n中国\r\n";
}

std::wstring KeyValueText() {
    return L"中\t５６\r\n中\t５\r\n国\t４\r\n人\t７３\r\n民\t６\r\n大\t３２\r\n家\t５\r\n"
           L"好\t４６\r\n你\t６\r\n的\t３\r\n一\t１\r\n二\t２\r\n三\t３\r\n"
           L"词\t解释一\\r第二行\r\n愛\t爱\r\n國\t国\r\n"
           L"\xD83D\xDE00\t笑\r\n";
}

std::wstring SettingsText() {
    return L"[-IME设置-]\r\n编码窗口样式=TSF-嵌入编码\r\n空码时空格行为=清屏\r\n"
           L"初始化转换状态=自定义：中文标点+全角+输入法关闭\r\n临时词功能开启=是\r\n"
           L"临时词上屏即存=是\r\n智能模式生成临时词=是\r\n候选窗口位置=固定位置\r\n"
           L"候选列表排序依据=单字先见,按编码排序,\r\n候选列表显示个数=7\r\n"
           L"词频调整=逐渐调整\r\n输入方案=主+辅\r\n检索次显码表=是\r\n"
           L"[-DME设置-]\r\n自动上屏码长=4\r\n[-SKIN设置-]\r\n候选窗口横排=是\r\n"
           L"[-非编码符号转义定义表-]\r\n,=，\r\n.=。\r\n\"=“,”\r\n＊=×\r\n"
           L"p=ABCDEFGHIJKLMNOP,abcdefghijklmnop\r\n"
           L"[-键位字根表-]\r\na=阿\r\n１=一\r\n"
           L"[-按键功能-]\r\n键F10=前翻页,\r\n +键Ctrl=后翻页,\r\n键Space=上屏首选,\r\n"
           L"[-构词规则定义-]\r\nP2=L1B1+L1B2+L2B1+L2B2\r\nP3=L1B1+L2B1+L3B1+L3F1\r\n"
           L"P4=L1B1+L2B1+L3B1+L4B1\r\n";
}

namespace {

wchar_t* MallocCopy(const std::wstring& text) {
    auto* p = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
    if (!p) return nullptr;
    std::memcpy(p, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return p;
}

}  // namespace

Bytes BuildMainTable(FuzzContext& context, const std::wstring& definition) {
    const std::wstring out = context.scratch + L"\\seed-main.dmg";
    CodeTableBuilder* b = CodeTableBuilder::Create();
    if (!b) return {};
    CodeTableBuilder::AddText(b, MallocCopy(definition));
    _snwprintf(b->outputPath, kPathChars, L"%ls", out.c_str());
    Bytes bytes;
    if (CodeTableBuilder::ParseLines(b) > 0 && CodeTableBuilder::WriteTable(b))
        bytes = ReadWholeFile(out);
    CodeTableBuilder::Destroy(b);
    DeleteFileW(out.c_str());
    return bytes;
}

Bytes BuildListTable(FuzzContext& context, const std::wstring& list) {
    const std::wstring text = context.scratch + L"\\seed-list.txt";
    const std::wstring out = context.scratch + L"\\seed-list.dmg";
    Bytes utf16{0xFF, 0xFE};
    Bytes body = Utf16Bytes(list);
    utf16.insert(utf16.end(), body.begin(), body.end());
    WriteWholeFile(text, utf16.data(), utf16.size());
    Bytes bytes;
    if (BuildWordTableFile(text.c_str(), out.c_str(), nullptr, nullptr)) bytes = ReadWholeFile(out);
    DeleteFileW(text.c_str());
    DeleteFileW(out.c_str());
    return bytes;
}

Bytes BuildKeyValueTable(const std::wstring& text) {
    return MakeKeyValueTableBytes(ParseKeyValueText(text.c_str(), text.size()).items);
}

Bytes BuildTempTable(FuzzContext& context, const std::wstring& definition) {
    // The words of a built table, inserted one by one as learning does.
    Bytes main = BuildMainTable(context, definition);
    Bytes temp = MakeEmptyTempTableBytes();
    const std::wstring path = context.scratch + L"\\seed-temp.dmg";
    WriteWholeFile(path, temp.data(), temp.size());
    MappedFile* t = nullptr;
    if (MappedFile::Open(&t, path.c_str()) > 0 && t) {
        MemoryTable m(main.data(), main.size());
        TableView v = MakeTableView(m.get());
        for (int32_t i = 0; i < v.count; ++i) {
            const uint8_t* e = v.EntryAt(i);
            if (e) CodeTable::InsertTemp(t, e);
        }
        MappedFile::Close(t);
        temp = ReadWholeFile(path);
    }
    DeleteFileW(path.c_str());
    return temp;
}

Bytes BuildConfig(const std::wstring& settings) {
    Bytes config(kConfigFileSize, 0);
    InitConfigImage(config.data(), static_cast<int64_t>(config.size()));
    MemoryTable m(config.data(), config.size());
    ImportSettingsText(settings.c_str(), FindImeConfig(m.get()), FindDmeConfig(m.get()),
                       FindSkinConfig(m.get()), nullptr);
    return config;
}

Bytes ExportSettings(FuzzContext& context, const Bytes& config) {
    Bytes copy = config;
    MemoryTable m(copy.data(), copy.size());
    const std::wstring path = context.scratch + L"\\seed-settings.txt";
    Bytes bytes;
    if (ExportSettingsText(FindImeConfig(m.get()), FindDmeConfig(m.get()), FindSkinConfig(m.get()),
                           nullptr, path.c_str()))
        bytes = ReadWholeFile(path);
    DeleteFileW(path.c_str());
    return bytes;
}

Bytes ExportTable(FuzzContext& context, const Bytes& table, int selection) {
    Bytes copy = table;
    MemoryTable m(copy.data(), copy.size());
    const std::wstring path = context.scratch + L"\\seed-export.txt";
    CodeTableExporter* x = CodeTableExporter::Create(nullptr, nullptr, selection, nullptr, nullptr);
    Bytes bytes;
    if (x && CodeTableExporter::Export(x, m.get(), path.c_str()) > 0) bytes = ReadWholeFile(path);
    CodeTableExporter::Destroy(x);
    DeleteFileW(path.c_str());
    return bytes;
}

MemoryTable::MemoryTable(uint8_t* data, size_t size) {
    std::memset(&file, 0, sizeof file);
    file.view = data;
    file.size = static_cast<int32_t>(size);
}

}  // namespace fuzz
