// Every IME export runs its body through this guard: nothing thrown leaves the library.
#pragma once

template <typename R, typename Body>
R GuardedExport(R fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}
