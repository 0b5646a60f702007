#include "engine/symbol_display.h"

#include "core/record/engine.h"

wchar_t MapSymbolChar(const Engine* engine, wchar_t c) {
    if (!engine || !engine->ime) return c;
    unsigned index;
    if (c < 128)
        index = c;
    else if (c >= 0xFF01 && c <= 0xFF7F)
        index = c - 0xFF00;
    else
        return c;
    wchar_t shown = engine->ime->keyRoots[index].text[0];
    return shown ? shown : c;
}

uint8_t CharToKeyIndex(wchar_t c) {
    if (c < 128) return static_cast<uint8_t>(c);
    if (c >= 0xFF0A && c <= 0xFF19) return static_cast<uint8_t>(c - 0xFF00);
    return 0;
}

int& BookTitleDepth() {
    static int depth = 0;
    return depth;
}

void ResetSymbolRecords(Engine* e) {
    if (e && e->ime)
        for (SymbolRecord& r : e->ime->symbols)
            if (r.kind == kSymbolPair) r.slots[kSymbolPairToggle] = 0;
    BookTitleDepth() = 0;
}
