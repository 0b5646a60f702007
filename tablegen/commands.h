// The table kinds tablegen builds; each returns 1 on success and reports on the console.
#pragma once

// guidText, when given ("{...}"), is written into the header as the input method's GUID.
int BuildMainTable(const wchar_t* textPath, const wchar_t* outPath,
                   const wchar_t* guidText = nullptr);
int BuildListTable(const wchar_t* textPath, const wchar_t* outPath);
int BuildKeyValueTable(const wchar_t* textPath, const wchar_t* outPath);
int BuildTempTable(const wchar_t* outPath);
// config.dsc from a settings text and the fields of a new installation; guidText "{...}"
// is the input method's GUID.
int BuildSettingsFile(const wchar_t* textPath, const wchar_t* outPath, const wchar_t* guidText);
// Types the corpus (see typing_measure.h) through the engine over the data folder's tables
// and settings and prints the figures.
int MeasureTyping(const wchar_t* dataFolder, const wchar_t* corpusPath);
