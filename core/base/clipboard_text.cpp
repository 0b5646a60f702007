#include "core/base/clipboard_text.h"

#include <cwchar>

#include "core/base/text_convert.h"

namespace {

// Closes the clipboard when it goes out of scope.
class OpenedClipboard {
public:
    explicit OpenedClipboard(const ClipboardCalls& calls) : calls_(calls) {
        open_ = calls_.open(nullptr) != FALSE;
    }
    ~OpenedClipboard() {
        if (open_) calls_.close();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool ok() const { return open_; }

private:
    const ClipboardCalls& calls_;
    bool open_ = false;
};

// Global memory freed unless handed over.
class OwnedGlobal {
public:
    OwnedGlobal(const ClipboardCalls& calls, HGLOBAL memory) : calls_(calls), memory_(memory) {}
    ~OwnedGlobal() {
        if (memory_) calls_.free(memory_);
    }
    OwnedGlobal(const OwnedGlobal&) = delete;
    OwnedGlobal& operator=(const OwnedGlobal&) = delete;
    HGLOBAL get() const { return memory_; }
    void release() { memory_ = nullptr; }

private:
    const ClipboardCalls& calls_;
    HGLOBAL memory_;
};

}  // namespace

const ClipboardCalls& SystemClipboardCalls() {
    static const ClipboardCalls calls = {
        OpenClipboard, CloseClipboard, EmptyClipboard, GetClipboardData, SetClipboardData,
        GlobalAlloc,   GlobalFree,     GlobalLock,     GlobalUnlock,     GlobalSize,
    };
    return calls;
}

int SetClipboardText(const wchar_t* text, int chars) {
    return SetClipboardText(SystemClipboardCalls(), text, chars);
}

int SetClipboardText(const ClipboardCalls& calls, const wchar_t* text, int chars) {
    size_t len = (text && chars > 0) ? wcsnlen(text, static_cast<size_t>(chars)) : 0;
    OpenedClipboard clipboard(calls);
    if (!clipboard.ok()) return -1;
    // The copy comes first: a failed allocation must not leave the clipboard emptied.
    OwnedGlobal memory(calls, calls.alloc(GMEM_MOVEABLE, (len + 1) * sizeof(wchar_t)));
    if (!memory.get()) return -1;
    auto* dst = static_cast<wchar_t*>(calls.lock(memory.get()));
    if (!dst) return -1;
    if (len) wmemcpy(dst, text, len);
    dst[len] = 0;
    calls.unlock(memory.get());
    if (!calls.empty()) return -1;
    if (!calls.setData(CF_UNICODETEXT, memory.get())) return -1;
    memory.release();  // the clipboard owns it now
    return 0;
}

bool GetClipboardText(wchar_t (&out)[kClipboardTextChars]) {
    return GetClipboardText(SystemClipboardCalls(), out);
}

bool GetClipboardText(const ClipboardCalls& calls, wchar_t (&out)[kClipboardTextChars]) {
    out[0] = 0;
    OpenedClipboard clipboard(calls);
    if (!clipboard.ok()) return false;
    HANDLE data = calls.getData(CF_UNICODETEXT);
    if (!data) return true;
    size_t units = calls.size(data) / sizeof(wchar_t);
    const auto* src = static_cast<const wchar_t*>(calls.lock(data));
    if (!src) return true;
    size_t len = wcsnlen(src, units < kClipboardTextChars - 1 ? units : kClipboardTextChars - 1);
    if (len > 0 && IsHighSurrogate(src[len - 1]) && len < units && src[len] != 0) --len;
    wmemcpy(out, src, len);
    out[len] = 0;
    calls.unlock(data);
    return true;
}
