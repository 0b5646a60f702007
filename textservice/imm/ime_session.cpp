#include "textservice/imm/ime_session.h"

#include <new>

#include "textservice/imm/ime_ui_command.h"

ImeSession* AttachSession(Engine* engine, HIMC himc) {
    if (!engine) return nullptr;
    auto* s = new (std::nothrow) ImeSession{};
    if (!s) return nullptr;
    s->himc = himc;
    s->keys.frontEnd = FrontEnd::kImm32;
    engine->uiCommand.handler = ImeOnUICommand;
    engine->uiCommand.owner = s;
    return s;
}

void DetachSession(Engine* engine) {
    if (!engine || engine->uiCommand.handler != ImeOnUICommand) return;
    delete static_cast<ImeSession*>(engine->uiCommand.owner);
    engine->uiCommand = {};
}

ImeSession* SessionOf(Engine* engine) {
    if (!engine || engine->uiCommand.handler != ImeOnUICommand) return nullptr;
    return static_cast<ImeSession*>(engine->uiCommand.owner);
}
