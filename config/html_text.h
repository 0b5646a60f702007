// A help page as plain text, for where no browser can show it: the page read through its
// "mk:@MSITStore:" address and its markup turned into lines of text.
#pragma once
#include <string>

struct HtmlText {
    std::wstring title;  // the <title>, blanks collapsed
    std::wstring body;   // lines separated by "\r\n"
};

// Tags removed; block elements begin new lines, <li> items a "• ", table cells a tab; <head>,
// <script> and <style> contents left out; blanks collapsed but inside <pre>; the common named
// entities and numeric references decoded (an unknown one stays as written).
HtmlText HtmlToText(const std::wstring& html);

// True for addresses inside a compiled help file ("mk:@MSITStore:", any letter case).
bool IsHelpStoreAddress(const wchar_t* address);
// The bytes of the page of a "mk:@MSITStore:<file>::/<page>" address, read through the help
// store's name parser; false when the address is not of that form or the page cannot be read.
// COM must be initialised on the calling thread.
bool ReadHelpStorePage(const wchar_t* address, std::string& bytes);
// The page as text: the decoded page, or an empty title and body when it cannot be read.
HtmlText HelpStorePageText(const wchar_t* address);
