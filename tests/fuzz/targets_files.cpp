// Archives (from memory, and extracted into a folder that nothing may leave), the XML
// reader and text decoding by byte-order mark.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/base/text_file.h"
#include "core/files/archive.h"
#include "core/files/xml_reader.h"
#include "fuzz/fuzz_target.h"
#include "support/zip_writer.h"

namespace fuzz {
namespace {

std::vector<Bytes> ArchiveSeeds(FuzzContext&) {
    using testing_support::MakeZip;
    std::vector<Bytes> s;
    s.push_back(MakeZip({{"skin.ini", "[skin]\r\nname=blue\r\n"},
                         {"images/", ""},
                         {"images/a.png", std::string(2048, 'x'), true},
                         {"a/b/c.txt", "deep"}}));
    s.push_back(MakeZip({{"one.txt", std::string(300, 'y'), true}, {"two.txt", "2"}}));
    s.push_back(MakeZip({{"..\\up.txt", "up"}, {"C:\\abs.txt", "abs"}, {"/root.txt", "r"}}));
    s.push_back(MakeZip({{"bad.txt", "crc", false, true}}));
    return s;
}

// Every file below root, as paths relative to it.
void ListFiles(const std::wstring& root, const std::wstring& prefix,
               std::vector<std::wstring>* out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((root + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        out->push_back(prefix + name);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(root + L"\\" + name, prefix + name + L"\\", out);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

void RunArchive(const uint8_t* data, size_t size, FuzzContext& c) {
    if (unzFile z = OpenMemoryArchive(data, size)) {
        ArchiveEntryList* list = ReadOpenArchiveEntries(z);
        unzClose(z);
        if (list) {
            if (list->count > 0) ++c.deep;
            for (int32_t i = 0; i < list->count; ++i) {
                const ArchiveEntry& e = list->entries[i];
                Check(e.size >= 0 && (e.size == 0 || e.data), "an entry claims data it lacks");
                if (e.size > 0) {
                    volatile uint8_t last = e.data[e.size - 1];
                    (void)last;
                }
            }
            FreeArchiveEntries(list);
        }
    }
    // Extraction into box\inner: everything must land inside inner.
    const std::wstring zip = c.scratch + L"\\in.zip";
    const std::wstring box = c.scratch + L"\\box";
    const std::wstring inner = box + L"\\inner";
    WriteWholeFile(zip, data, size);
    CreateDirectoryW(box.c_str(), nullptr);
    CreateDirectoryW(inner.c_str(), nullptr);
    ExtractArchive(zip.c_str(), inner.c_str());
    std::vector<std::wstring> files;
    ListFiles(box, L"", &files);
    for (const std::wstring& f : files)
        Check(f == L"inner" || f.rfind(L"inner\\", 0) == 0, "an extracted file left its folder");
    std::vector<std::wstring> around;
    ListFiles(c.scratch, L"", &around);
    for (const std::wstring& f : around)
        Check(f == L"in.zip" || f == L"box" || f.rfind(L"box\\", 0) == 0,
              "an extracted file left its folder");
    RemoveFolderTree(box);
    DeleteFileW(zip.c_str());
}

std::vector<Bytes> XmlSeeds(FuzzContext&) {
    return {Utf16Bytes(L"<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n"
                       L"<UpdateInfo version=\"3.2.1.0\" url=http://example.invalid/a.zip "
                       L"size=\"1234\" md5=\"0123456789abcdef\">新版本\r\n"
                       L"<Item name=\"a\" /><Item name=\"b\">text</Item></UpdateInfo>\r\n"),
            Utf16Bytes(L"<a><b><c><d/></c></b></a><e x='1' y=2>t</e>")};
}

void RunXml(const uint8_t* data, size_t size, FuzzContext& c) {
    XmlElement* root = XmlDocument::Parse(reinterpret_cast<const wchar_t*>(data), size / 2);
    if (root && root->childCount > 0) ++c.deep;
    XmlDocument::Free(root);
    GuardedText text(data, size);
    XmlDocument::Free(XmlDocument::Parse(text.text()));
}

std::vector<Bytes> DecodeSeeds(FuzzContext&) {
    Bytes utf8{0xEF, 0xBB, 0xBF, 'a', 0xE4, 0xB8, 0xAD, '\r', '\n'};
    Bytes le{0xFF, 0xFE, 'a', 0, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE};
    Bytes be{0xFE, 0xFF, 0, 'a', 0x4E, 0x2D};
    Bytes bare{'a', 0xE4, 0xB8, 0xAD, 0xF0, 0x9F, 0x98, 0x80};
    Bytes ansi{'a', 0xD6, 0xD0, 0xCE, 0xC4};
    return {utf8, le, be, bare, ansi, Bytes{'p', 'l', 'a', 'i', 'n'}};
}

void RunDecode(const uint8_t* data, size_t size, FuzzContext& c) {
    size_t length = 0;
    wchar_t* text = DecodeTextByBom(data, size, &length);
    if (text) {
        if (length > 0) ++c.deep;
        Check(text[length] == 0, "a decoded text is not terminated at its length");
        std::free(text);
    }
}

const bool registered =
    RegisterTarget({"archive", InputShape::kBinary, 1000, ArchiveSeeds, RunArchive, {}, false}) &&
    RegisterTarget({"xml", InputShape::kText16, 3000, XmlSeeds, RunXml, {}, false}) &&
    RegisterTarget({"text-decode", InputShape::kBinary, 3000, DecodeSeeds, RunDecode, {}, false});

}  // namespace
}  // namespace fuzz
