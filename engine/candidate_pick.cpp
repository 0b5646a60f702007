#include "engine/candidate_pick.h"

#include <cstring>

#include "engine/commands/command_pick.h"

namespace {

bool InEnglish(const Engine* e) { return e->state & (kStateEnglishMode | kStateTempEnglish); }

bool StartsWithTempLead(const Engine* e) {
    const uint8_t lead = e->dme ? e->dme->tempEnglishLead : 0;
    return lead && e->input.codeLength > 0 && e->input.code[0] == lead;
}

int64_t PickTypedCode(Engine* e) {
    InputState& in = e->input;
    if (in.pickedAction == kPickedKeep) return 0;
    const uint32_t length = in.codeLength > kMaxCodeUnits ? kMaxCodeUnits : in.codeLength;
    const bool tempEnglish = StartsWithTempLead(e);
    const bool fullWidth = (e->state & kStateFullWidthOutput) && !(e->state & kStateTempEnglish);
    uint32_t n = 0;
    for (uint32_t i = tempEnglish ? 1 : 0; i < length && n < kPickedUnits - 1; ++i) {
        wchar_t c = in.code[i];
        if (c < 32) c = static_cast<wchar_t>(c + 32);
        if (fullWidth) {
            if (c == L' ') {
                c = L'\u3000';
            } else if (c >= 0x21 && c <= 0x7E) {
                c = static_cast<wchar_t>(c + 0xFEE0);
            }
        }
        in.pickedText[n++] = c;
    }
    in.pickedText[n] = 0;
    in.pickedLength = n;
    in.pickedAction = kPickedTypedCode;
    return 0;
}

// In English input a letter typed in upper case stays upper case in the pick.
void KeepTypedCapitals(Engine* e) {
    InputState& in = e->input;
    const uint32_t skip = StartsWithTempLead(e) ? 1 : 0;
    for (uint32_t i = 0; i < in.pickedLength && i + skip < in.codeLength; ++i) {
        const wchar_t typed = in.code[i + skip];
        wchar_t& picked = in.pickedText[i];
        if (picked >= L'a' && picked <= L'z' && typed >= L'A' && typed <= L'Z')
            picked = static_cast<wchar_t>(picked - L'a' + L'A');
    }
}

}  // namespace

int64_t Engine::SelectCandidate(Engine* e, int selector) {
    if (!e) return kSelectNotOnPage;
    CandidatePage& page = e->page;
    int64_t r;
    if (selector == kSelectHighlighted || selector == kSelectTop) {
        r = page.highlight + 1;
    } else if (selector >= 1 && selector <= 10) {
        r = selector;
    } else if (selector == kSelectLastRow) {
        r = page.rowCount;
    } else if (selector == kSelectTypedCode) {
        r = 0;
    } else {
        return kSelectNotOnPage;
    }
    if (r == 0 || (selector == kSelectHighlighted && e->candidateCount <= 0)) {
        return PickTypedCode(e);
    }
    const int64_t rows = page.rowCount > kPageRows ? kPageRows : page.rowCount;
    if (r < 0 || r - 1 >= rows) return kSelectNotOnPage;

    const PageRow& commit = page.rowCommit[r - 1];
    const PageRow& shown = page.rowText[r - 1];
    const PageRow& row = commit.length ? commit : shown;
    const uint32_t n = row.length < kRowTextUnits - 1 ? row.length : kRowTextUnits - 1;
    std::memcpy(e->input.pickedText, row.text, n * sizeof(wchar_t));
    e->input.pickedText[n] = 0;
    e->input.pickedLength = n;
    // A plain row: an action left from an earlier command pick must not run again.
    e->input.pickedAction = 0;
    // Command rows get their text and action from the command interpreter.
    if (!RunCandidateCommand(e, r) && InEnglish(e)) KeepTypedCapitals(e);
    return page.rowCandidate[r - 1];
}
