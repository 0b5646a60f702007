#include "core/files/xml_reader.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr size_t kNotFound = SIZE_MAX;
constexpr size_t kFirstRoom = 16;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

template <class T>
bool MakeRoom(T*& items, size_t count, size_t& capacity) {
    if (count < capacity) return true;
    size_t next = capacity ? capacity * 2 : kFirstRoom;
    if (next < capacity || next > SIZE_MAX / sizeof(T)) return false;
    T* grown = static_cast<T*>(std::realloc(items, next * sizeof(T)));
    if (!grown) return false;
    items = grown;
    capacity = next;
    return true;
}

wchar_t* CopyText(const wchar_t* begin, size_t units) {
    if (units > SIZE_MAX / sizeof(wchar_t) - 1) return nullptr;
    auto* copy = static_cast<wchar_t*>(std::malloc((units + 1) * sizeof(wchar_t)));
    if (!copy) return nullptr;
    if (units) wmemcpy(copy, begin, units);
    copy[units] = 0;
    return copy;
}

// Frees one element's own storage; its children are left to the caller.
void FreeElement(XmlElement* e) {
    for (size_t i = 0; i < e->attributeCount; ++i) {
        std::free(e->attributes[i].name);
        std::free(e->attributes[i].value);
    }
    std::free(e->attributes);
    std::free(e->children);
    std::free(e->name);
    std::free(e->text);
    std::free(e);
}

struct ElementStack {
    XmlElement** items = nullptr;
    size_t count = 0;
    size_t capacity = 0;

    ~ElementStack() { std::free(items); }
    bool Push(XmlElement* e) {
        if (!MakeRoom(items, count, capacity)) return false;
        items[count++] = e;
        return true;
    }
};

class Parser {
public:
    Parser(const wchar_t* text, size_t length) : s_(text), n_(text ? length : 0) {}

    void Run(XmlElement* root) {
        ElementStack open;
        if (!open.Push(root)) return;
        size_t pos = 0;
        for (;;) {
            size_t lt = Find(L'<', pos);
            if (lt == kNotFound || lt + 1 >= n_) return;
            size_t p = lt + 1;
            if (s_[p] == L'/') {
                // End tags are not matched against their element; one level closes.
                size_t gt = Find(L'>', p + 1);
                if (gt == kNotFound) return;
                if (open.count > 1) --open.count;
                pos = gt + 1;
                continue;
            }
            if (s_[p] == L'?') {
                size_t q = FindEnd(L'?', L'>', p + 1);
                if (q == kNotFound) return;
                pos = q + 2;
                continue;
            }
            bool selfClosed = false;
            XmlElement* e = ReadStartTag(p, &pos, &selfClosed);
            if (!e) return;
            XmlElement* parent = open.items[open.count - 1];
            if (!MakeRoom(parent->children, parent->childCount, parent->childCapacity)) {
                FreeElement(e);
                return;
            }
            parent->children[parent->childCount++] = e;
            if (!selfClosed && !open.Push(e)) return;
        }
    }

private:
    size_t Find(wchar_t c, size_t from) const {
        for (size_t i = from; i < n_; ++i) {
            if (s_[i] == c) return i;
        }
        return kNotFound;
    }
    size_t FindEnd(wchar_t a, wchar_t b, size_t from) const {
        for (size_t i = from; i + 1 < n_; ++i) {
            if (s_[i] == a && s_[i + 1] == b) return i;
        }
        return kNotFound;
    }
    bool TagCloseAt(size_t i) const { return s_[i] == L'/' && i + 1 < n_ && s_[i + 1] == L'>'; }
    // A name or unquoted value runs to a blank, ">" or "/>" (a name also to "=").
    size_t TokenEnd(size_t i, bool stopAtEquals) const {
        while (i < n_ && !IsBlank(s_[i]) && s_[i] != L'>' && !TagCloseAt(i) &&
               !(stopAtEquals && s_[i] == L'=')) {
            ++i;
        }
        return i;
    }

    // Element of the start tag whose name begins at p, with its attributes and text; *next
    // is where reading goes on. Null when the tag is malformed, cut off or out of memory.
    XmlElement* ReadStartTag(size_t p, size_t* next, bool* selfClosed) {
        size_t nameEnd = p;
        while (nameEnd < n_ && !IsBlank(s_[nameEnd]) && s_[nameEnd] != L'/' &&
               s_[nameEnd] != L'>') {
            ++nameEnd;
        }
        if (nameEnd >= n_) return nullptr;
        auto* e = static_cast<XmlElement*>(std::calloc(1, sizeof(XmlElement)));
        if (!e) return nullptr;
        e->name = CopyText(s_ + p, nameEnd - p);
        size_t q = nameEnd;
        if (!e->name || !ReadAttributes(e, &q, selfClosed)) {
            FreeElement(e);
            return nullptr;
        }
        if (*selfClosed) {
            e->text = CopyText(s_, 0);
            *next = q;
        } else {
            while (q < n_ && IsBlank(s_[q])) ++q;
            size_t lt = Find(L'<', q);
            size_t end = lt == kNotFound ? n_ : lt;
            e->text = CopyText(s_ + q, end - q);
            *next = end;
        }
        if (!e->text) {
            FreeElement(e);
            return nullptr;
        }
        return e;
    }

    // Attributes up to and past ">" or "/>"; false on malformed or cut-off input.
    bool ReadAttributes(XmlElement* e, size_t* at, bool* selfClosed) {
        size_t q = *at;
        for (;;) {
            while (q < n_ && IsBlank(s_[q])) ++q;
            if (q >= n_) return false;
            if (s_[q] == L'>') {
                *at = q + 1;
                return true;
            }
            if (s_[q] == L'/') {
                if (!TagCloseAt(q)) return false;
                *selfClosed = true;
                *at = q + 2;
                return true;
            }
            size_t nameBegin = q;
            q = TokenEnd(q, true);
            size_t nameEnd = q;
            if (nameEnd == nameBegin) return false;  // "=" without a name
            size_t valueBegin = q, valueEnd = q;
            if (q < n_ && s_[q] == L'=') {
                ++q;
                if (q < n_ && s_[q] == L'"') {
                    size_t close = Find(L'"', q + 1);
                    if (close == kNotFound) return false;
                    valueBegin = q + 1;
                    valueEnd = close;
                    q = close + 1;
                } else {
                    valueBegin = q;
                    q = TokenEnd(q, false);
                    valueEnd = q;
                }
            }
            if (!MakeRoom(e->attributes, e->attributeCount, e->attributeCapacity)) return false;
            XmlAttribute& a = e->attributes[e->attributeCount];
            a.name = CopyText(s_ + nameBegin, nameEnd - nameBegin);
            a.value = CopyText(s_ + valueBegin, valueEnd - valueBegin);
            ++e->attributeCount;
            if (!a.name || !a.value) return false;
        }
    }

    const wchar_t* s_;
    size_t n_;
};

}  // namespace

XmlElement* XmlDocument::Parse(const wchar_t* text, size_t length) {
    auto* root = static_cast<XmlElement*>(std::calloc(1, sizeof(XmlElement)));
    if (!root) return nullptr;
    Parser(text, length).Run(root);
    return root;
}

XmlElement* XmlDocument::Parse(const wchar_t* text) { return Parse(text, text ? wcslen(text) : 0); }

void XmlDocument::Free(XmlElement* root) {
    if (!root) return;
    ElementStack pending;
    if (!pending.Push(root)) return;
    while (pending.count) {
        XmlElement* e = pending.items[--pending.count];
        // Out of memory for the walk leaves that subtree allocated rather than recursing.
        for (size_t i = 0; i < e->childCount; ++i) pending.Push(e->children[i]);
        FreeElement(e);
    }
}
