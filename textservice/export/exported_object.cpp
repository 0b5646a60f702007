#include "textservice/export/exported_object.h"

#include <cstdlib>

#include "core/base/boundary_guard.h"
#include "textservice/export/section_codec.h"
#include "textservice/pages/page_host.h"

namespace {

// Every object is a zeroed block of pointer-sized slots from the library's own heap.
template <class Object>
Object* NewObject() {
    return static_cast<Object*>(std::calloc(1, sizeof(Object)));
}

template <class Object>
void FreeInterfaceObject(Object* object) {
    std::free(object);
}

void* NewSettingsPageObject() {
    auto* o = NewObject<SettingsPageObject>();
    if (o) *o = {FreeInterfaceObject<SettingsPageObject>, CreateSettingsPage, DestroySettingsPage};
    return o;
}

void* NewOptionCodecObject() {
    auto* o = NewObject<OptionSectionCodec>();
    if (o) *o = {FreeInterfaceObject<OptionSectionCodec>, ReadOptionSection, WriteOptionSection};
    return o;
}

void* NewReleaseOnlyObject() {
    auto* o = NewObject<ReleaseOnlyObject>();
    if (o) *o = {FreeInterfaceObject<ReleaseOnlyObject>, nullptr};
    return o;
}

struct ObjectKind {
    uint64_t kind;
    void* (*make)();
};
const ObjectKind kKinds[] = {
    {kObjectSettingsPages, NewSettingsPageObject},
    {kObjectOptionCodec, NewOptionCodecObject},
    {kObjectReleaseOnly, NewReleaseOnlyObject},
};

}  // namespace

// Unknown kinds, the code-conversion kind and a failed allocation all give 0 with *out NULL.
int GetExportedObject(uint64_t kind, void** out) {
    return Guarded(0, [&] {
        if (!out) return 0;
        *out = nullptr;
        for (const ObjectKind& k : kKinds)
            if (k.kind == kind) {
                *out = k.make();
                return *out ? 1 : 0;
            }
        return 0;
    });
}
