#include "textservice/pages/font_faces.h"

#include <windows.h>

#include "core/base/boundary_guard.h"

namespace {

// Called back from GDI: nothing thrown may cross it; out of memory ends the enumeration.
int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) {
    return Guarded(0, [&] {
        auto* faces = reinterpret_cast<std::vector<std::wstring>*>(list);
        std::wstring face = font->lfFaceName;
        if (face.size() > kFontFaceChars) face.resize(kFontFaceChars);
        if (!face.empty()) faces->push_back(face);
        return 1;
    });
}

}  // namespace

const std::vector<std::wstring>& DisplayFontFaces() {
    static std::vector<std::wstring> faces;
    static bool filled = false;
    if (!filled) {
        filled = true;
        faces.reserve(32);
        if (HDC dc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr)) {
            EnumFontFamiliesW(dc, nullptr, AddFace, reinterpret_cast<LPARAM>(&faces));
            DeleteDC(dc);
        }
    }
    return faces;
}
