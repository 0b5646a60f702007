#include "tablegen/file_output.h"

#include <windows.h>

#include <algorithm>

#include "core/base/handles.h"

std::wstring WorkFilePath(const std::wstring& target) { return target + L".part"; }

int CommitWorkFile(const std::wstring& target) {
    return MoveFileExW(WorkFilePath(target).c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 1
               : 0;
}

int WriteTableFile(const std::wstring& target, const std::vector<uint8_t>& bytes) {
    const std::wstring work = WorkFilePath(target);
    bool ok;
    {
        zan::UniqueHandle file(CreateFileW(work.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return 0;
        ok = true;
        size_t done = 0;
        while (ok && done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD written = 0;
            ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) &&
                 written == chunk;
            done += written;
        }
    }
    if (!ok || !CommitWorkFile(target)) {
        DeleteFileW(work.c_str());
        return 0;
    }
    return 1;
}
