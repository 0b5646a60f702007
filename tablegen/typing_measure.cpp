#include "tablegen/typing_measure.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "core/record/engine.h"
#include "engine/candidates.h"
#include "engine/key_decision.h"

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return out;
        start = tab + 1;
    }
}

bool IsDigits(const std::string& s) {
    return !s.empty() && s.size() <= kMaxCodeUnits &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '1' && c <= '9'; });
}

int CharCount(const std::string& utf8) {
    int n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

// Keys to pick a word at rank: its digits, one selection key and a page-down per page
// before its own.
int64_t KeysFor(const std::string& digits, int64_t rank, int64_t pageSize) {
    return static_cast<int64_t>(digits.size()) + 1 + rank / pageSize;
}

std::vector<std::pair<std::string, int64_t>> MostFrequent(const std::map<std::string, int64_t>& m) {
    std::vector<std::pair<std::string, int64_t>> v(m.begin(), m.end());
    std::stable_sort(v.begin(), v.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (v.size() > 40) v.resize(40);
    return v;
}

}  // namespace

std::vector<CorpusWord> ParseCorpus(const std::string& utf8) {
    std::vector<CorpusWord> out;
    size_t start = 0;
    while (start < utf8.size()) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos) end = utf8.size();
        std::string line = utf8.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> f = SplitTabs(line);
        if (f.size() < 2 || f.size() % 2 != 0 || f[0].empty() || !IsDigits(f[1])) continue;
        CorpusWord w{f[0], f[1], {}};
        bool ok = true;
        for (size_t i = 2; i + 1 < f.size(); i += 2) {
            if (f[i].empty() || !IsDigits(f[i + 1])) ok = false;
            w.characters.emplace_back(f[i], f[i + 1]);
        }
        if (ok) out.push_back(std::move(w));
    }
    return out;
}

int64_t RankOfWord(Engine* e, const std::string& digits, const std::string& word,
                   int64_t* pageSize) {
    e->ClearInput();
    for (char d : digits) {
        const wchar_t ch = static_cast<wchar_t>(0x10 + (d - '0'));
        const wchar_t text[2] = {ch, 0};
        if (Engine::ClassifyInputChar(e, ch) != kCharInsert) return -1;
        e->input.keyChar = text;
        Engine::InsertKeyChar(e);
        e->input.keyChar = nullptr;
        Engine::ProcessInput(e);
    }
    *pageSize = e->page.pageSize > 0 ? e->page.pageSize : 1;
    for (int64_t i = 0; i < e->candidateCount; ++i) {
        const uint8_t* w = CandidateWord(e->candidates[i]);
        if (w && w[0] == word.size() && std::memcmp(w + 1, word.data(), word.size()) == 0) return i;
    }
    return -1;
}

TypingReport MeasureCorpus(Engine* e, const std::vector<CorpusWord>& corpus) {
    TypingReport r;
    std::map<std::string, int64_t> missing, late;
    for (const CorpusWord& w : corpus) {
        const int chars = CharCount(w.word);
        int64_t pageSize = 1;
        const int64_t rank = RankOfWord(e, w.digits, w.word, &pageSize);
        int64_t keys;
        if (rank >= 0) {
            keys = KeysFor(w.digits, rank, pageSize);
            if (rank >= pageSize) ++late[w.word];
        } else {
            ++missing[w.word];
            // Typed character by character instead; a character not offered either costs
            // its digits, a selection key and the pages a user would page through.
            keys = 0;
            for (const auto& [c, d] : w.characters) {
                int64_t size = 1;
                const int64_t cr = RankOfWord(e, d, c, &size);
                keys += cr >= 0 ? KeysFor(d, cr, size) : KeysFor(d, 0, 1) + 10;
            }
            if (w.characters.empty()) keys = KeysFor(w.digits, 0, 1) + 10;
        }
        for (TypingCounts* t : {&r.all, chars == 1 ? &r.single : nullptr}) {
            if (!t) continue;
            ++t->words;
            t->characters += chars;
            t->keys += keys;
            if (rank < 0) {
                ++t->notFound;
                continue;
            }
            t->first += rank == 0;
            t->topThree += rank < 3;
            t->firstPage += rank < pageSize;
        }
    }
    r.missing = MostFrequent(missing);
    r.late = MostFrequent(late);
    return r;
}
