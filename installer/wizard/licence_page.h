// The licence page of the payload as readable text: the unpacked License.html, or the same
// page inside the unpacked help file (read through its "mk:@MSITStore:" address). No browser
// engine is relied on, so the page is shown as plain text.
#pragma once
#include <string>

// The address the licence dialog shows: unpackDir\License.html when that file exists, else
// "mk:@MSITStore:<unpackDir>\main.chm::/License.html".
std::wstring LicencePageAddress(const std::wstring& unpackDir);

// The page's text, tags dropped (see HtmlToPlainText); empty when it cannot be read.
std::wstring ReadLicenceText(const std::wstring& unpackDir);

// The readable text of an HTML page: head, script and style dropped, line and paragraph tags
// as line breaks, the common entities decoded, blank runs folded, lines ending in CR LF.
std::wstring HtmlToPlainText(const std::wstring& html);
