#include "ui/menus/class_alias.h"

void ClassAlias(const Engine* e, int tableClass, wchar_t (&out)[kClassAliasUnits]) {
    out[0] = 0;
    if (!e || !e->soft || tableClass < 0 || tableClass >= kTableClasses) return;
    const wchar_t* alias = e->soft->classAliases[tableClass];
    int n = 0;
    for (; n < kClassAliasUnits - 1 && alias[n]; ++n) out[n] = alias[n];
    out[n] = 0;
}
