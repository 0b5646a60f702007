// Seeded random key sequences typed through both front ends over the shipped data: the text
// service on the test host and the IMM32 exports on an input context of Wine's imm32. After
// every key the committed text and the open composition must agree, but for the differences
// listed in Intended. A failing sequence is shrunk to the shortest one that still fails and
// printed, with its seed and a line to replay it.
//
// ZAN_PARITY_SEQUENCES sets the number of sequences (the long run: ZAN_PARITY_LONG=1),
// ZAN_PARITY_SEED the first seed, ZAN_PARITY_REPLAY a sequence printed by a failure.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings/config_blocks.h"
#include "engine/ui_command.h"
#include "support/tsf_host/front_end_typists.h"

using namespace tsf_host;

namespace {

// One step of a sequence.
enum class Act : uint8_t {
    kTap,       // a key pressed and released
    kShifted,   // a key pressed and released while Shift is held
    kShiftTap,  // Shift pressed and released alone
    kCommand,   // a UI command (mode switch, candidate pick) as the windows send it
};

struct Step {
    Act act;
    int vk;
    uint32_t code;
    uintptr_t arg;
};

struct KeyName {
    int vk;
    const char* name;
};

const KeyName kKeyNames[] = {
    {VK_SPACE, "sp"},    {VK_BACK, "bs"},      {VK_ESCAPE, "esc"}, {VK_RETURN, "ent"},
    {VK_NEXT, "pgdn"},   {VK_PRIOR, "pgup"},   {VK_LEFT, "left"},  {VK_RIGHT, "right"},
    {VK_UP, "up"},       {VK_DOWN, "down"},    {VK_HOME, "home"},  {VK_END, "end"},
    {VK_OEM_COMMA, ","}, {VK_OEM_PERIOD, "."}, {VK_OEM_1, ";"},    {VK_OEM_2, "/"},
    {VK_OEM_7, "'"},     {VK_OEM_4, "["},      {VK_OEM_6, "]"},    {VK_OEM_MINUS, "-"},
};

std::string NameOf(const Step& s) {
    if (s.act == Act::kShiftTap) return "shift";
    if (s.act == Act::kCommand) {
        char b[32];
        std::snprintf(b, sizeof b, "cmd%u:%u", s.code, static_cast<unsigned>(s.arg));
        return b;
    }
    std::string name;
    if (s.vk >= VK_NUMPAD0 && s.vk <= VK_NUMPAD9) {
        name = "k";
        name.push_back(static_cast<char>('0' + s.vk - VK_NUMPAD0));
    } else if ((s.vk >= 'A' && s.vk <= 'Z') || (s.vk >= '0' && s.vk <= '9')) {
        name = std::string(1, static_cast<char>(s.vk >= 'A' ? s.vk + 32 : s.vk));
    } else {
        for (const KeyName& k : kKeyNames)
            if (k.vk == s.vk) name = k.name;
    }
    return s.act == Act::kShifted ? "S+" + name : name;
}

bool ParseStep(const std::string& token, Step* out) {
    if (token == "shift") {
        *out = {Act::kShiftTap, VK_SHIFT, 0, 0};
        return true;
    }
    unsigned code = 0, arg = 0;
    if (std::sscanf(token.c_str(), "cmd%u:%u", &code, &arg) == 2) {
        *out = {Act::kCommand, 0, code, arg};
        return true;
    }
    std::string name = token;
    Act act = Act::kTap;
    if (name.rfind("S+", 0) == 0) {
        act = Act::kShifted;
        name = name.substr(2);
    }
    int vk = 0;
    if (name.size() == 2 && name[0] == 'k' && name[1] >= '0' && name[1] <= '9') {
        vk = VK_NUMPAD0 + (name[1] - '0');
    } else if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') {
        vk = name[0] - 32;
    } else if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        vk = name[0];
    } else {
        for (const KeyName& k : kKeyNames)
            if (name == k.name) vk = k.vk;
    }
    if (!vk) return false;
    *out = {act, vk, 0, 0};
    return true;
}

std::string Text(const std::vector<Step>& steps) {
    std::string s;
    for (const Step& st : steps) {
        if (!s.empty()) s += ' ';
        s += NameOf(st);
    }
    return s;
}

// The settings a sequence runs with, on top of the shipped ones.
struct Variant {
    const char* name;
    uint32_t optionsOn;
    uint32_t featuresOn;
};

const Variant kVariants[] = {
    {"shipped", 0, 0},
    {"association", kImeAssociation, 0},
    {"merge", 0, kFeatMergeSameWord},
    {"temporary English", kImeCapitalStartsEnglish, 0},
};

struct Sequence {
    uint32_t seed;
    int variant;
    std::vector<Step> steps;
};

Sequence Generate(uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    Sequence s{seed, pick(static_cast<int>(std::size(kVariants))), {}};
    const int length = 4 + pick(36);
    static const int punctuation[] = {VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_1, VK_OEM_2,
                                      VK_OEM_7,     VK_OEM_4,      VK_OEM_6, VK_OEM_MINUS};
    static const int moves[] = {VK_NEXT, VK_PRIOR, VK_LEFT, VK_RIGHT,
                                VK_UP,   VK_DOWN,  VK_HOME, VK_END};
    static const uint32_t modes[] = {
        uicmd::kChineseInput, uicmd::kEnglishInput, 0x2001, 0x2002, 0x2003, 0x2004};
    for (int i = 0; i < length; ++i) {
        const int r = pick(100);
        Step st{Act::kTap, 0, 0, 0};
        if (r < 46) {
            st.vk = VK_NUMPAD0 + pick(10);
        } else if (r < 55) {
            st.vk = VK_SPACE;
        } else if (r < 60) {
            st.vk = VK_BACK;
        } else if (r < 63) {
            st.vk = VK_ESCAPE;
        } else if (r < 65) {
            st.vk = VK_RETURN;
        } else if (r < 73) {
            st.vk = punctuation[pick(static_cast<int>(std::size(punctuation)))];
            if (pick(4) == 0) st.act = Act::kShifted;
        } else if (r < 78) {
            st.vk = 'A' + pick(26);
        } else if (r < 81) {
            st.vk = 'A' + pick(26);
            st.act = Act::kShifted;
        } else if (r < 85) {
            st.vk = '1' + pick(9);
        } else if (r < 92) {
            st.vk = moves[pick(static_cast<int>(std::size(moves)))];
        } else if (r < 94) {
            st = {Act::kShiftTap, VK_SHIFT, 0, 0};
        } else if (r < 97) {
            st = {Act::kCommand, 0, modes[pick(static_cast<int>(std::size(modes)))], 0};
        } else {
            st = {Act::kCommand, 0, uicmd::kPickCandidate, static_cast<uintptr_t>(1 + pick(5))};
        }
        s.steps.push_back(st);
    }
    return s;
}

enum class Verdict {
    kSame,
    kIntended,           // an intended difference; the documents go on alike
    kIntendedThenApart,  // an intended difference after which the documents differ for good
    kDiffer,
};

// Differences the two front ends are meant to have, each with its reason.
Verdict Judge(const Step& step, const TypedState& tsf, const TypedState& imm, bool tsfShowsCode) {
    if (tsf == imm) return Verdict::kSame;
    if (tsf.committed != imm.committed) return Verdict::kDiffer;
    // Outside the embedded styles the text service composes a placeholder space in the
    // document and shows the code in its candidate window; IMM32 always shows the code as the
    // composition string.
    if (!tsfShowsCode && tsf.composing == imm.composing) return Verdict::kIntended;
    // Chinese input chosen from a menu while composing: the text service ends what is typed
    // before it switches (as every switch of its input mode does); the IMM32 handler sets the
    // mode and leaves the composition.
    if (step.act == Act::kCommand && step.code == uicmd::kChineseInput && !tsf.composing &&
        imm.composing)
        return Verdict::kIntendedThenApart;
    return Verdict::kDiffer;
}

bool ShowsCode(const Engine* e) {
    return e && e->ime && (e->ime->options & (kImeStyleTsfEmbedCode | kImeStyleTsfEmbedFirst));
}

// Both installations, made once: the typed words change nothing in them (learning is off) so
// every sequence starts from the same tables.
struct Installs {
    std::unique_ptr<ShippedInstall> tsf, imm;
    bool ok() const { return tsf && imm && tsf->ok() && imm->ok(); }
};

void Prepare(Engine* e, const Variant& v) {
    e->ime->options &= ~(kImeTempWords | kImeAssociation | kImeCapitalStartsEnglish);
    e->ime->features &= ~kFeatMergeSameWord;
    e->ime->listOptions &= ~kListFreqMask;
    e->ime->options |= v.optionsOn;
    e->ime->features |= v.featuresOn;
}

void RunStep(FrontEndTypist& t, const Step& st) {
    switch (st.act) {
        case Act::kTap:
            t.Tap(st.vk);
            break;
        case Act::kShifted:
            t.keyboard->Press(VK_SHIFT, true);
            t.Press(VK_SHIFT);
            t.Tap(st.vk);
            t.keyboard->Press(VK_SHIFT, false);
            t.Release(VK_SHIFT);
            break;
        case Act::kShiftTap:
            t.keyboard->Press(VK_SHIFT, true);
            t.Press(VK_SHIFT);
            t.keyboard->Press(VK_SHIFT, false);
            t.Release(VK_SHIFT);
            t.DeliverSynthesisedKeys();
            break;
        case Act::kCommand:
            SendUICommand(t.engine(), st.code, st.arg, 0);
            t.DeliverSynthesisedKeys();
            break;
    }
}

// The states of one front end after each step.
std::vector<TypedState> Type(FrontEndTypist& t, const Variant& v, const std::vector<Step>& steps) {
    std::vector<TypedState> states;
    if (!t.ok()) return states;
    Prepare(t.engine(), v);
    for (const Step& st : steps) {
        RunStep(t, st);
        states.push_back(t.State());
    }
    return states;
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) {
        if (c >= 32 && c < 127) {
            s += static_cast<char>(c);
        } else {
            char b[12];
            std::snprintf(b, sizeof b, "\\u%04X", static_cast<unsigned>(c));
            s += b;
        }
    }
    return s;
}

std::string Describe(const TypedState& s) {
    return "committed \"" + Narrow(s.committed) + "\", composition \"" + Narrow(s.composition) +
           "\"";
}

struct Outcome {
    bool ran = false;
    int firstDifference = -1;  // step index, -1 when none
    int apartAt = -1;          // step after which an intended difference ended the comparison
    TypedState tsf, imm;
};

// Both front ends, made once and reset before each sequence (making them takes longer than
// typing a sequence).
class FrontEnds {
public:
    explicit FrontEnds(Installs& in) : tsf_(f_, *in.tsf), imm_(*in.imm) {
        imm_.keyboard = &f_.keyboard;
    }
    bool ok() const { return tsf_.ok() && imm_.ok(); }

    Outcome Compare(int variant, const std::vector<Step>& steps) {
        Outcome o;
        if (!ok()) return o;
        const Variant& v = kVariants[variant];
        tsf_.Reset();
        imm_.Reset();
        const std::vector<TypedState> a = Type(tsf_, v, steps);
        const std::vector<TypedState> b = Type(imm_, v, steps);
        const bool showsCode = ShowsCode(tsf_.engine());
        o.ran = true;
        if (std::getenv("ZAN_PARITY_TRACE")) {
            for (size_t i = 0; i < a.size() && i < b.size(); ++i)
                std::printf("%-10s tsf %s\n           imm %s\n", NameOf(steps[i]).c_str(),
                            Describe(a[i]).c_str(), Describe(b[i]).c_str());
        }
        for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const Verdict verdict = Judge(steps[i], a[i], b[i], showsCode);
            if (verdict == Verdict::kSame || verdict == Verdict::kIntended) continue;
            if (verdict == Verdict::kIntendedThenApart) {
                o.apartAt = static_cast<int>(i);
                break;
            }
            o.firstDifference = static_cast<int>(i);
            o.tsf = a[i];
            o.imm = b[i];
            break;
        }
        return o;
    }

private:
    ServiceFixture f_;
    TextServiceTypist tsf_;
    Imm32Typist imm_;
};

// On front ends of its own: what a reproducer gives when typed alone.
Outcome CompareAlone(Installs& in, int variant, const std::vector<Step>& steps) {
    FrontEnds fresh(in);
    return fresh.Compare(variant, steps);
}

// The shortest sequence found that still differs: steps after the difference dropped, then
// single steps and runs of steps removed while it still fails (bounded).
std::vector<Step> Shrink(Installs& in, int variant, std::vector<Step> steps, int first) {
    steps.resize(static_cast<size_t>(first) + 1);
    int tries = 0;
    for (size_t chunk = steps.size() / 2; chunk >= 1 && tries < 300; chunk /= 2) {
        for (size_t i = 0; i + chunk <= steps.size() && tries < 300;) {
            std::vector<Step> shorter = steps;
            shorter.erase(shorter.begin() + static_cast<long>(i),
                          shorter.begin() + static_cast<long>(i + chunk));
            ++tries;
            const Outcome o = CompareAlone(in, variant, shorter);
            if (!shorter.empty() && o.ran && o.firstDifference >= 0) {
                shorter.resize(static_cast<size_t>(o.firstDifference) + 1);
                steps = shorter;
            } else {
                ++i;
            }
        }
        if (chunk == 1) break;
    }
    return steps;
}

uint32_t EnvNumber(const char* name, uint32_t fallback) {
    const char* v = std::getenv(name);
    return v && *v ? static_cast<uint32_t>(std::strtoul(v, nullptr, 10)) : fallback;
}

Installs MakeInstalls() {
    Installs in;
    in.tsf = std::make_unique<ShippedInstall>();
    in.imm = std::make_unique<ShippedInstall>();
    return in;
}

TEST(RandomParity, StepNamesReadBack) {
    const Sequence s = Generate(7);
    std::vector<Step> back;
    std::istringstream words(Text(s.steps));
    for (std::string w; words >> w;) {
        Step st{};
        ASSERT_TRUE(ParseStep(w, &st)) << w;
        back.push_back(st);
    }
    EXPECT_EQ(Text(back), Text(s.steps));
}

TEST(RandomParity, FrontEndsAgreeAfterEveryKey) {
    Installs in = MakeInstalls();
    if (!in.ok()) GTEST_SKIP() << "no shipped data (tools/make_data.sh makes it)";
    if (const char* replay = std::getenv("ZAN_PARITY_REPLAY")) {
        std::vector<Step> steps;
        std::istringstream words(replay);
        for (std::string w; words >> w;) {
            Step st{};
            ASSERT_TRUE(ParseStep(w, &st)) << w;
            steps.push_back(st);
        }
        const int variant = static_cast<int>(EnvNumber("ZAN_PARITY_VARIANT", 0));
        const Outcome o = CompareAlone(in, variant % static_cast<int>(std::size(kVariants)), steps);
        ASSERT_TRUE(o.ran);
        EXPECT_EQ(o.firstDifference, -1)
            << "text service " << Describe(o.tsf) << "\nIMM32 " << Describe(o.imm);
        return;
    }
    const bool longRun = std::getenv("ZAN_PARITY_LONG") != nullptr;
    const uint32_t count = EnvNumber("ZAN_PARITY_SEQUENCES", longRun ? 100000 : 3000);
    const uint32_t first = EnvNumber("ZAN_PARITY_SEED", 1);
    const auto start = std::chrono::steady_clock::now();
    uint64_t keys = 0;
    int failures = 0, apart = 0;
    auto frontEnds = std::make_unique<FrontEnds>(in);
    for (uint32_t seed = first; seed < first + count && failures < 3; ++seed) {
        const Sequence s = Generate(seed);
        const Outcome o = frontEnds->Compare(s.variant, s.steps);
        ASSERT_TRUE(o.ran) << "seed " << seed << ": a front end did not start";
        keys += s.steps.size();
        if (o.apartAt >= 0) ++apart;
        if (o.firstDifference < 0) continue;
        ++failures;
        frontEnds.reset();
        const std::vector<Step> shortest = Shrink(in, s.variant, s.steps, o.firstDifference);
        const Outcome again = CompareAlone(in, s.variant, shortest);
        frontEnds = std::make_unique<FrontEnds>(in);
        ADD_FAILURE() << "seed " << seed << " (" << kVariants[s.variant].name
                      << " settings) differs after step " << o.firstDifference + 1 << " of "
                      << s.steps.size() << ": " << Text(s.steps) << "\nshortest: " << Text(shortest)
                      << "\n  text service " << Describe(again.tsf) << "\n  IMM32        "
                      << Describe(again.imm)
                      << (again.firstDifference < 0 ? "\n  (alone it does not differ: it needs "
                                                      "what the earlier sequences left)"
                                                    : "")
                      << "\nreplay: ZAN_PARITY_VARIANT=" << s.variant << " ZAN_PARITY_REPLAY=\""
                      << Text(shortest) << "\"";
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "parity: %u sequences from seed %u, %llu keys, %d differing, %d compared up to an "
        "intended difference, %.1f s\n",
        count, first, static_cast<unsigned long long>(keys), failures, apart, seconds);
}

}  // namespace
