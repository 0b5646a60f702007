#include "core/engine.h"

// English completion comes with the list-table lookups; until then it offers nothing.
int64_t EngineRuntime::LookupTempEnglish(Engine* engine) {
    engine->candidateCount = 0;
    FinishCandidates(engine);
    return engine->candidateCount;
}
