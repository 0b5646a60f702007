// The install folder put into a configured command.
#pragma once
#include <string>

// text with every "{appPath}" replaced by installFolder.
std::wstring ExpandAppPath(const std::wstring& text, const std::wstring& installFolder);
