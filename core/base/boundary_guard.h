// The one guard of every COM method, export and window procedure: nothing thrown crosses
// into the host.
#pragma once

// Runs body and returns its result; anything thrown gives failure instead.
template <class Result, class Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

// The same for bodies without a result.
template <class Body>
void GuardedVoid(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}
