// The engine an activated text service owns, made and ended through the service's seams.
#pragma once
#include "core/record/engine.h"

Engine* NewServiceEngine();
// Forgets the engine's deferred prompts and ends it; null is allowed.
void FreeServiceEngine(Engine* e);
