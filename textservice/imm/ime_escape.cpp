#include "textservice/imm/ime_escape.h"

#include <cwchar>
#include <memory>

#include "textservice/imm/ime_context_lock.h"

namespace {

struct EngineDeleter {
    void operator()(Engine* e) const { Engine::Destroy(e); }
};

// The context's engine, or a temporary one held in keep.
Engine* EngineFor(const ImeContextLock& lock, std::unique_ptr<Engine, EngineDeleter>& keep) {
    if (lock.engine()) return lock.engine();
    keep.reset(Engine::Create());
    return keep.get();
}

}  // namespace

bool IsServedEscape(UINT code) {
    return code == IME_ESC_QUERY_SUPPORT || code == IME_ESC_MAX_KEY || code == IME_ESC_IME_NAME ||
           code == IME_ESC_GETHELPFILENAME;
}

LRESULT ImeEscapeOn(HIMC himc, UINT code, void* data) {
    switch (code) {
        case IME_ESC_QUERY_SUPPORT:
            if (!data) return 0;
            return IsServedEscape(*static_cast<const UINT*>(data)) ? 1 : 0;
        case IME_ESC_MAX_KEY:
            return kMaxKeyAnswer;
        case IME_ESC_IME_NAME:
        case IME_ESC_GETHELPFILENAME: {
            if (!data) return 0;
            auto* out = static_cast<wchar_t*>(data);
            out[0] = 0;
            ImeContextLock lock(himc);
            std::unique_ptr<Engine, EngineDeleter> temporary;
            Engine* e = EngineFor(lock, temporary);
            if (!e) return 0;
            if (code == IME_ESC_IME_NAME) {
                if (!e->soft) return 0;
                const size_t n = wcsnlen(e->soft->productName, kImeNameUnits - 1);
                wmemcpy(out, e->soft->productName, n);
                out[n] = 0;
                return 1;
            }
            // The help file's path must fit MAX_PATH with its terminator, else nothing.
            const int n = _snwprintf(out, MAX_PATH, L"%lsmain.chm", e->installLocation);
            if (n < 0 || n >= MAX_PATH) {
                out[0] = 0;
                return 0;
            }
            return 1;
        }
        default:
            return 0;
    }
}
