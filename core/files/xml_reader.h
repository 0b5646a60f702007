// A small XML reader for the update list: elements, attributes and text, no entities.
#pragma once
#include <cstddef>

struct XmlAttribute {
    wchar_t* name;
    wchar_t* value;
};

struct XmlElement {
    wchar_t* name;  // null for the document's root
    wchar_t* text;  // from after the start tag (blanks skipped) to the next "<"
    XmlAttribute* attributes;
    size_t attributeCount;
    size_t attributeCapacity;
    XmlElement** children;
    size_t childCount;
    size_t childCapacity;
};

struct XmlDocument {
    // Reads length units of text (no terminator needed). The root is unnamed and holds the
    // top-level elements. Malformed input ends the reading with the elements read so far.
    // Null only when no memory is left for the root.
    static XmlElement* Parse(const wchar_t* text, size_t length);
    // Text up to its NUL.
    static XmlElement* Parse(const wchar_t* text);
    static void Free(XmlElement* root);
};
