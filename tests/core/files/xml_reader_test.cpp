#include "core/files/xml_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/exact_buffer.h"

using testing_support::ExactBuffer;

namespace {

// name[attr=value,...]"text"(children...)
std::wstring Dump(const XmlElement* e) {
    std::wstring out = e->name ? e->name : L"";
    if (e->attributeCount) {
        out += L"[";
        for (size_t i = 0; i < e->attributeCount; ++i) {
            if (i) out += L",";
            out += e->attributes[i].name;
            out += L"=";
            out += e->attributes[i].value;
        }
        out += L"]";
    }
    if (e->name) out += L"\"" + std::wstring(e->text) + L"\"";
    if (e->childCount) {
        out += L"(";
        for (size_t i = 0; i < e->childCount; ++i) out += Dump(e->children[i]);
        out += L")";
    }
    return out;
}

// Parses text placed so that its last unit is the last readable one.
std::wstring ParseExact(const std::wstring& text) {
    ExactBuffer buffer(text.data(), text.size() * sizeof(wchar_t));
    XmlElement* root = XmlDocument::Parse(static_cast<const wchar_t*>(buffer.data()), text.size());
    if (!root) return L"<null>";
    std::wstring dump = Dump(root);
    XmlDocument::Free(root);
    return dump;
}

TEST(XmlDocument, ReadsElementsAttributesAndText) {
    struct Case {
        const wchar_t* text;
        const wchar_t* tree;
    };
    const Case cases[] = {
        {L"", L""},
        {L"plain text", L""},
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
         L"<UpdateInfo version=\"2.1\" url=\"http://h/p?q=1&r=2\" size=120/>",
         L"UpdateInfo[version=2.1,url=http://h/p?q=1&r=2,size=120]\"\""},
        {L"<a version=1.2 a=\"x\"></a>", L"a[version=1.2,a=x]\"\""},
        {L"<a v=1/>", L"a[v=1]\"\""},
        {L"<a v=1>t</a>", L"a[v=1]\"t\""},
        {L"<a v=http://x/y/>", L"a[v=http://x/y]\"\""},
        {L"<a\r\n\tv=\"a b\"\r\n  w=2 >x</a>", L"a[v=a b,w=2]\"x\""},
        {L"<a flag>x</a>", L"a[flag=]\"x\""},
        {L"<a v=\"\">x</a>", L"a[v=]\"x\""},
        {L"<a>  hi there \r\n</a>", L"a\"hi there \r\n\""},
        {L"<a>&amp;&#20013;</a>", L"a\"&amp;&#20013;\""},
        {L"<r><a>x</a><b/><c>y</c></r><s/>", L"(r\"\"(a\"x\"b\"\"c\"y\")s\"\")"},
        {L"<r><a><b>deep</b></a></r>", L"(r\"\"(a\"\"(b\"deep\")))"},
        // End tags are not matched and never close the root.
        {L"</x></y><a>1</b><c/>", L"(a\"1\"c\"\")"},
        {L"<a>tail", L"a\"tail\""},
        {L"<>x</>", L"\"x\""},
        // Malformed or cut-off input ends the reading with what came before.
        {L"<a>1</a><b", L"a\"1\""},
        {L"<a>1</a><b ", L"a\"1\""},
        {L"<a>1</a><b x", L"a\"1\""},
        {L"<a>1</a><b x=", L"a\"1\""},
        {L"<a>1</a><b x=1", L"a\"1\""},
        {L"<a>1</a><b x=\"1", L"a\"1\""},
        {L"<a>1</a><b x=\"1\"", L"a\"1\""},
        {L"<a>1</a><b/", L"a\"1\""},
        {L"<a>1</a><b/c>2</b>", L"a\"1\""},
        {L"<a>1</a><b =1>", L"a\"1\""},
        {L"<a>1</a><?xml ", L"a\"1\""},
        {L"<a>1</a><?xml ?", L"a\"1\""},
        {L"<a>1</a></a", L"a\"1\""},
        {L"<a>1</a><", L"a\"1\""},
    };
    for (const auto& c : cases) {
        std::wstring tree = ParseExact(c.text);
        // A single top-level element is dumped without the root's brackets.
        std::wstring expected = c.tree;
        if (!expected.empty() && expected[0] != L'(') expected = L"(" + expected + L")";
        EXPECT_EQ(tree, expected) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(XmlDocument, ListsGrowPastTheirFirstRoom) {
    std::wstring text = L"<r";
    std::wstring attrs, kids;
    for (int i = 0; i < 40; ++i) {
        std::wstring n = std::to_wstring(i);
        text += L" k" + n + L"=" + n;
        attrs += (i ? L"," : L"") + (L"k" + n + L"=" + n);
        kids += L"c\"" + n + L"\"";
    }
    text += L">";
    for (int i = 0; i < 40; ++i) text += L"<c>" + std::to_wstring(i) + L"</c>";
    text += L"</r>";
    EXPECT_EQ(ParseExact(text), L"(r[" + attrs + L"]\"\"(" + kids + L"))");
}

TEST(XmlDocument, DeepNestingNeedsNoRecursion) {
    const int depth = 100000;
    std::wstring text;
    for (int i = 0; i < depth; ++i) text += L"<a>";
    ExactBuffer buffer(text.data(), text.size() * sizeof(wchar_t));
    XmlElement* root = XmlDocument::Parse(static_cast<const wchar_t*>(buffer.data()), text.size());
    ASSERT_NE(root, nullptr);
    int levels = 0;
    for (const XmlElement* e = root; e->childCount == 1; e = e->children[0]) ++levels;
    EXPECT_EQ(levels, depth);
    XmlDocument::Free(root);
}

TEST(XmlDocument, TerminatedTextAndNull) {
    XmlElement* root = XmlDocument::Parse(L"<UpdateInfo Version=3/>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Dump(root), L"(UpdateInfo[Version=3]\"\")");
    XmlDocument::Free(root);
    root = XmlDocument::Parse(nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->childCount, 0u);
    XmlDocument::Free(root);
    XmlDocument::Free(nullptr);
}

}  // namespace
