// The names the settings give the table classes.
#pragma once
#include "core/record/engine.h"
#include "core/settings/config_blocks.h"

constexpr int kMainCodeClass = 0;
constexpr int kUserTableClass = 2;
constexpr int kSecondaryTableClass = 3;
constexpr int kAuxiliaryTableClass = 4;

// The alias of a table class (0 main code, 1 system, 2 user, 3 secondary, 4 auxiliary ...),
// cut to its field and terminated; empty without settings.
void ClassAlias(const Engine* engine, int tableClass, wchar_t (&out)[kClassAliasUnits]);
