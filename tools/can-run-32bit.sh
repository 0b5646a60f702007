#!/usr/bin/env bash
# Succeeds when this machine can execute 32-bit x86 programs (needed by 32-bit Wine).
[ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
