#include "installer/backup/user_word_backup.h"

#include <cstdlib>
#include <cwchar>

#include "core/base/mapped_file.h"
#include "core/base/text_file.h"
#include "core/settings/config_blocks.h"
#include "core/settings/settings_export.h"
#include "core/table/table_edit.h"
#include "core/tabletools/table_exporter.h"
#include "core/tabletools/table_importer.h"
#include "installer/install/product_registry.h"
#include "installer/register/registration.h"
#include "textservice/export/exported_object.h"

namespace {

constexpr int32_t kUserWordClass = 2;

MappedFilePtr LoadCopy(const std::wstring& path) {
    MappedFile* raw = nullptr;
    if (MappedFile::LoadToMemory(&raw, path.c_str()) <= 0 || !raw) return nullptr;
    return MappedFilePtr(raw);
}

// The installed DLL's option codec, held for the settings export.
class InstalledCodec {
public:
    explicit InstalledCodec(const std::wstring& module) {
        if (module.empty()) return;
        library_ = LoadLibraryW(module.c_str());
        if (!library_) return;
        auto get = reinterpret_cast<GetObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(library_, "KXITFGetObject")));
        void* object = nullptr;
        if (get && get(kObjectOptionCodec, &object) == 1) {
            codec_ = static_cast<OptionSectionCodec*>(object);
        }
    }
    ~InstalledCodec() {
        if (codec_ && codec_->release) codec_->release(codec_);
        if (library_) FreeLibrary(library_);
    }
    InstalledCodec(const InstalledCodec&) = delete;
    InstalledCodec& operator=(const InstalledCodec&) = delete;
    const OptionSectionCodec* get() const { return codec_; }

private:
    HMODULE library_ = nullptr;
    OptionSectionCodec* codec_ = nullptr;
};

}  // namespace

std::wstring BackupFolderName(const std::wstring& displayName) {
    std::wstring name = displayName.empty() ? L"zan" : displayName;
    for (wchar_t& c : name) {
        if (c < 0x20 || wcschr(L"\\/:*?\"<>|", c)) c = L'_';
    }
    return L"[ " + name + L" ]";
}

std::wstring BackupDateText(const SYSTEMTIME& utc) {
    wchar_t text[40];
    _snwprintf(text, 40, L"(%d.%d.%d)", utc.wYear, utc.wMonth, utc.wDay);
    text[39] = 0;
    return text;
}

BackupStatus BackupUserData(InstallEnvironment& env, HWND owner, const wchar_t* caption,
                            const wchar_t* guidText, BackupFiles* files) {
    BackupFiles local;
    BackupFiles& out = files ? *files : local;
    out = BackupFiles{};
    ProductValues product;
    if (!ReadProductValues(guidText, product) || product.imeName.empty() ||
        product.dataLocation.empty()) {
        return BackupStatus::kNothingInstalled;
    }
    std::wstring data = product.dataLocation;
    if (data.back() != L'\\') data.push_back(L'\\');
    MappedFilePtr table = LoadCopy(data + L"main.dmg");
    if (!table) return BackupStatus::kNothingInstalled;
    int32_t counters[kCategoryCounters] = {};
    CountEntriesByCategory(table.get(), counters);
    bool hasWords = counters[kUserWordClass] > 0;

    std::wstring documents = env.DocumentsFolder();
    std::wstring folder;
    if (!documents.empty()) {
        folder = documents + BackupFolderName(product.displayName) + L"\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) folder.clear();
    }
    out.folder = folder;
    if (folder.empty()) return hasWords ? BackupStatus::kWordsNotSaved : BackupStatus::kNoUserWords;

    SYSTEMTIME now;
    GetSystemTime(&now);
    std::wstring date = BackupDateText(now);
    BackupStatus status = BackupStatus::kNoUserWords;
    if (hasWords) {
        std::wstring wordFile = folder + L"导出 - 用户词条" + date + L".txt";
        CodeTableExporter* exporter =
            CodeTableExporter::Create(nullptr, nullptr, kUserWordClass, nullptr, nullptr);
        int32_t written =
            exporter ? CodeTableExporter::Export(exporter, table.get(), wordFile.c_str()) : 0;
        CodeTableExporter::Destroy(exporter);
        if (written > 0) {
            out.wordFile = wordFile;
            status = BackupStatus::kWordsSaved;
        } else {
            DeleteFileW(wordFile.c_str());
            status = BackupStatus::kWordsNotSaved;
        }
    }
    if (!out.wordFile.empty() && owner) {
        wchar_t question[1024];
        _snwprintf(question, 1024, L"用户词已经备份在 [ %ls ] 中，是否现在查看?",
                   out.wordFile.c_str());
        question[1023] = 0;
        if (env.Ask(owner, question, caption ? caption : L"", MB_YESNO | MB_ICONQUESTION) ==
            IDYES) {
            std::wstring parameters = L"/select,\"" + out.wordFile + L"\"";
            env.Launch(L"Explorer.exe", parameters.c_str(), true);
        }
    }

    MappedFilePtr config = LoadCopy(data + L"config.dsc");
    if (config) {
        InstalledCodec codec(ImeFilePath64(env, product.imeName.c_str()));
        std::wstring settingsFile = folder + L"backup.config" + date + L".txt";
        if (ExportSettingsText(FindImeConfig(config.get()), FindDmeConfig(config.get()),
                               FindSkinConfig(config.get()), codec.get(), settingsFile.c_str())) {
            out.settingsFile = settingsFile;
        }
    }
    return status;
}

int RestoreUserWords(const wchar_t* dataFolder, const wchar_t* wordFile) {
    if (!dataFolder || !wordFile) return -1;
    std::wstring path = std::wstring(dataFolder) + L"main.dmg";
    MappedFile* raw = nullptr;
    if (MappedFile::Open(&raw, path.c_str()) <= 0 || !raw) return -1;
    MappedFilePtr table(raw);
    if (!table->IsMapped()) return -1;
    wchar_t* text = nullptr;
    size_t length = 0;
    if (ReadTextFile(wordFile, &text, &length) != 0) return -1;
    CodeTableImporter* importer = CodeTableImporter::Create();
    if (!importer) {
        free(text);
        return -1;
    }
    importer->targetClass = kUserWordClass;
    importer->text = text;
    importer->textLength = length;
    importer->table = table.get();
    CodeTableImporter::ReadDirectives(importer);
    int result = -1;
    if (CodeTableImporter::ImportAll(importer) >= 0) result = CodeTableImporter::Commit(importer);
    CodeTableImporter::Destroy(importer);
    free(text);
    return result;
}
