#include "textservice/imm/ime_windows.h"

namespace {

const ImeWindowOps kBuiltIn = {
    [](Engine* e, POINT anchor, SIZE) { e->windows.candidatePos = anchor; },
    [](Engine*) {},
    [](Engine*) {},
    [](Engine*, bool) {},
    [](Engine*) {},
};
const ImeWindowOps* g_ops = &kBuiltIn;

}  // namespace

const ImeWindowOps& ImeWindows() { return *g_ops; }
void SetImeWindows(const ImeWindowOps* ops) { g_ops = ops ? ops : &kBuiltIn; }
