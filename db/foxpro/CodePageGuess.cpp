#include "db/foxpro/CodePageGuess.h"

#include "db/foxpro/CodePage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace db::foxpro {

namespace {

// A language by the characters beyond ASCII it writes, each with its share (per mille of letters,
// lower case; what counts is the proportion between them).
struct Language
{
    std::u16string_view letters;
    std::vector<double> shares;
};

// clang-format off
const Language Russian{u"оеаинтсрвлкмдпуяыьгзбчйхжшюцщэфъё",
    {110, 85, 80, 74, 67, 63, 55, 47, 45, 44, 35, 32, 30, 28, 26, 20, 19, 17, 17, 17, 16, 14, 12, 10, 9, 7, 6,
     5, 4, 3, 3, 1, 1}};
const Language Ukrainian{u"оанивітерскдлмупязьгбчйхжїцшюєщфґ",
    {94, 80, 65, 62, 53, 52, 50, 49, 46, 43, 38, 32, 37, 31, 32, 29, 23, 22, 19, 16, 16, 14, 12, 11, 9, 9, 8, 7,
     6, 5, 5, 2, 1}};
const Language Greek{u"αοιετνσρηυπκμλςδγωχθφβξζψάέίόύήώϊΐ",
    {105, 90, 75, 70, 70, 60, 50, 45, 40, 38, 38, 38, 32, 27, 25, 17, 17, 12, 11, 11, 8, 7, 3, 4, 2, 18, 13,
     13, 15, 8, 10, 5, 1, 1}};
const Language Polish{u"łęąóżśćńź", {18, 11, 10, 8, 8, 7, 4, 2, 1}};
const Language Czech{u"áíěéýřčšžůúňťďó", {22, 16, 12, 11, 10, 12, 9, 8, 8, 6, 1, 1, 1, 1, 1}};
const Language Turkish{u"ışüçğöâîi", {51, 18, 19, 12, 11, 8, 1, 1, 4}};
// Western Europe as one: German, French, Spanish, Portuguese, Italian and the Nordic languages.
const Language Western{u"éäüöàèáíóçñãêßåúâøæôõìòùîïëûœ",
    {30, 12, 12, 10, 9, 6, 8, 7, 8, 6, 4, 4, 4, 4, 4, 3, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};
// clang-format on

// Candidates in order of preference: among candidates that read a text alike, the first wins.
struct Candidate
{
    int codePage;
    std::vector<const Language*> languages;
};

const std::vector<Candidate>& candidates()
{
    static const std::vector<Candidate> all = {
        {1252, {&Western}},
        {850, {&Western}},
        {437, {&Western}},
        {1250, {&Polish, &Czech}},
        {852, {&Polish, &Czech}},
        {1251, {&Russian, &Ukrainian}},
        {866, {&Russian, &Ukrainian}},
        {1253, {&Greek}},
        {737, {&Greek}},
        {1254, {&Turkish}},
        {857, {&Turkish}},
    };
    return all;
}

// Characters that are no letter but ordinary in text; everything else that is no letter (box
// drawing, control characters, rare symbols) is nearly impossible.
constexpr std::u16string_view Ordinary = u"«»°§©®±¿¡€£¥–—“”„‘’·…№µ";
constexpr double OrdinaryShare = 1.0 / 200;
constexpr double ForeignLetterShare = 1.0 / 2000;
constexpr double ImpossibleShare = 1.0 / 200000;
// A guess needs this many bytes beyond ASCII, and must beat every rival by this much (natural
// logarithm per byte).
constexpr qint64 MinimumEvidence = 8;
constexpr double Margin = 0.4;
// Text in its own code page scores about -3 per byte; below this floor none reads as a language does.
constexpr double Floor = -4.0;

// The log-likelihood of each of the 128 upper characters under a language.
std::array<double, 128> weightsFor(const std::array<QChar, 128>& decoded, const Language& language)
{
    double total = 0;
    for (double share : language.shares)
        total += share;
    std::array<double, 128> weights{};
    for (int i = 0; i < 128; ++i) {
        const QChar c = decoded[i].toLower();
        const auto at = language.letters.find(c.unicode());
        double share = ImpossibleShare;
        if (at != std::u16string_view::npos)
            share = language.shares[at] / total;
        else if (c.isLetter())
            share = ForeignLetterShare;
        else if (Ordinary.find(c.unicode()) != std::u16string_view::npos)
            share = OrdinaryShare;
        weights[i] = std::log(share);
    }
    return weights;
}

struct Reading
{
    int codePage;
    std::array<QChar, 128> decoded;
    double score; // mean log-likelihood per byte beyond ASCII, under the candidate's best language
};

} // namespace

void CodePageGuess::add(QByteArrayView text)
{
    text = text.first(std::min(text.size(), SampleLimit - m_sampled));
    m_sampled += text.size();
    for (char c : text) {
        if (c & 0x80)
            ++m_high[static_cast<unsigned char>(c) - 0x80];
    }
}

int CodePageGuess::bestCodePage() const
{
    qint64 evidence = 0;
    for (qint64 count : m_high)
        evidence += count;
    if (evidence < MinimumEvidence)
        return CodePage::Default;
    std::vector<Reading> readings;
    for (const Candidate& candidate : candidates()) {
        Reading reading{candidate.codePage, {}, -INFINITY};
        CodePage page(candidate.codePage);
        for (int i = 0; i < 128; ++i) {
            const char byte = static_cast<char>(0x80 + i);
            reading.decoded[i] = page.decode(QByteArrayView(&byte, 1)).at(0);
        }
        for (const Language* language : candidate.languages) {
            const std::array<double, 128> weights = weightsFor(reading.decoded, *language);
            double sum = 0;
            for (int i = 0; i < 128; ++i)
                sum += double(m_high[i]) * weights[i];
            reading.score = std::max(reading.score, sum / double(evidence));
        }
        readings.push_back(reading);
    }
    const auto best = std::max_element(readings.begin(), readings.end(),
                                       [](const Reading& a, const Reading& b) { return a.score < b.score; });
    const auto readsAlike = [&](const Reading& other) {
        for (int i = 0; i < 128; ++i) {
            if (m_high[i] > 0 && other.decoded[i] != best->decoded[i])
                return false;
        }
        return true;
    };
    if (best->score < Floor)
        return CodePage::Default;
    const Reading* chosen = nullptr; // the first candidate that reads the text as the best one does
    for (const Reading& other : readings) {
        if (readsAlike(other)) {
            chosen = chosen ? chosen : &other;
            continue;
        }
        if (best->score - other.score < Margin)
            return CodePage::Default;
    }
    return chosen->codePage;
}

} // namespace db::foxpro
