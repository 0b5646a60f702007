// Typing a corpus through the input engine over a data folder, for the table's figures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One word occurrence: its keypad code (digits '1'-'9'), and for a word of several
// characters each character with its code, typed one by one when the word is not offered.
struct CorpusWord {
    std::string word;  // UTF-8
    std::string digits;
    std::vector<std::pair<std::string, std::string>> characters;
};

// Lines "word TAB digits [TAB char TAB digits]..."; malformed lines are skipped.
std::vector<CorpusWord> ParseCorpus(const std::string& utf8);

struct TypingCounts {
    int64_t words = 0;
    int64_t first = 0;      // rank 1
    int64_t topThree = 0;   // ranks 1-3
    int64_t firstPage = 0;  // on the first page
    int64_t notFound = 0;
    int64_t characters = 0;
    int64_t keys = 0;  // digits, one selection key and the page-downs
};

struct TypingReport {
    TypingCounts all, single;
    // Words not offered and words past the first page, each with its count, most frequent
    // first (at most 40 each).
    std::vector<std::pair<std::string, int64_t>> missing, late;
};

// Rank (0-based) of word among the candidates the engine lists for the keypad digits typed
// one by one, -1 when it is not listed or a key is refused. pageSize gets the page size.
struct Engine;
int64_t RankOfWord(Engine* e, const std::string& digits, const std::string& word,
                   int64_t* pageSize);

TypingReport MeasureCorpus(Engine* e, const std::vector<CorpusWord>& corpus);
