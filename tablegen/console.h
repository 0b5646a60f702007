// Report lines of the console program, as UTF-8.
#pragma once
#include <string>

void PrintLine(const std::wstring& text);       // standard output
void PrintErrorLine(const std::wstring& text);  // standard error
