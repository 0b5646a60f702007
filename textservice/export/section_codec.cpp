#include "textservice/export/section_codec.h"

#include "core/base/boundary_guard.h"
#include "textservice/export/input_options.h"
#include "ui/options/interface_options.h"

int ReadOptionSection(void* block, const wchar_t* key, const wchar_t* value, int kind) {
    return Guarded(0, [&] {
        if (!block || !key) return 0;
        const wchar_t* v = value ? value : L"";
        if (kind == kOptionSectionInput) {
            ParseInputOptions(static_cast<DmeConfigData*>(block), key, v);
            return 1;
        }
        if (kind == kOptionSectionInterface) {
            ParseInterfaceOptions(static_cast<SkinConfigData*>(block), key, v);
            return 1;
        }
        return 0;
    });
}

int WriteOptionSection(void* block, wchar_t* buffer, int count, int kind) {
    return Guarded(0, [&] {
        if (!block || !buffer || count <= 0) return 0;
        if (kind == kOptionSectionInput) {
            WriteInputOptions(static_cast<const DmeConfigData*>(block), buffer, count);
            return 1;
        }
        if (kind == kOptionSectionInterface) {
            WriteInterfaceOptions(static_cast<const SkinConfigData*>(block), buffer, count);
            return 1;
        }
        return 0;
    });
}

const OptionSectionCodec& InputMethodOptionCodec() {
    static const OptionSectionCodec codec = {nullptr, ReadOptionSection, WriteOptionSection};
    return codec;
}
