#include "bench/dict_generator.h"

#include "dict/dict_sorter.h"
#include "dict/index_number.h"

#include <algorithm>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace lexivoce::bench {

namespace {

const char *const kOnsets[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "qu", "r", "s",
                               "t", "v", "w", "y", "z", "bl", "br", "ch", "cl", "cr", "dr", "fl", "fr", "gl",
                               "gr", "pl", "pr", "sc", "sh", "sk", "sl", "sm", "sn", "sp", "st", "str", "sw",
                               "th", "tr", "tw", "wh", "wr", ""};
const char *const kVowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ee", "oo", "ou", "ie", "oa", "y"};
const char *const kCodas[] = {"", "", "n", "r", "l", "t", "d", "s", "ng", "ck", "ll", "st", "nd", "rt", "m", "p", "x"};
const char *const kIpa[] = {"ə", "ɪ", "æ", "ɔ:", "ʃ", "θ", "ð", "ŋ", "ʒ", "i:", "u:", "ʌ", "ɛ", "eɪ", "aɪ", "əʊ"};
const char *const kClasses[] = {"danh từ", "động từ", "tính từ", "phó từ", "ngoại động từ", "nội động từ",
                                "giới từ", "liên từ", "thán từ"};
const char *const kVietnamese[] = {
    "nước", "ngoài", "người", "làm", "việc", "cái", "không", "được", "những", "chiếc", "máy", "mang",
    "từ", "vào", "đi", "sống", "ở", "học", "sinh", "trường", "nhà", "đẹp", "lớn", "nhỏ", "sự", "điều",
    "có", "thể", "với", "trong", "một", "cách", "rất", "nhiều", "thời", "gian", "đường", "phố", "ăn",
    "uống", "nói", "chuyện", "biết", "hiểu", "giúp", "đỡ", "mạnh", "yếu", "vui", "buồn", "mới", "cũ"};
const char *const kEnglish[] = {"the", "a", "to", "of", "and", "in", "is", "it", "you", "that", "he", "was",
                                "for", "on", "are", "with", "they", "be", "at", "one", "have", "this", "from",
                                "by", "hot", "word", "but", "what", "some", "we", "can", "out", "other", "were"};

class Writer
{
public:
    explicit Writer(unsigned long long start) : m_random(start) {}

    int Below(int n) { return static_cast<int>(m_random() % static_cast<unsigned long long>(n)); }

    template<size_t N>
    const char *Pick(const char *const (&items)[N]) { return items[Below(static_cast<int>(N))]; }

    std::string Word()
    {
        std::string word;
        const int syllables = 1 + Below(3);
        for (int s = 0; s < syllables; ++s) {
            word += Pick(kOnsets);
            word += Pick(kVowels);
            word += Pick(kCodas);
        }
        return word;
    }

    std::string Phrase(const char *const *words, int count, int length)
    {
        std::string phrase;
        for (int i = 0; i < length; ++i) {
            if (i)
                phrase += ' ';
            phrase += words[Below(count)];
        }
        return phrase;
    }
    std::string Vietnamese(int length) { return Phrase(kVietnamese, std::size(kVietnamese), length); }
    std::string English(int length) { return Phrase(kEnglish, std::size(kEnglish), length); }

    static void Line(std::string &out, const char *marker, const std::string &text)
    {
        out += marker;
        out += text;
        out += "\r\n";
    }

    std::string Entry(const std::string &head)
    {
        std::string e = "@";
        e += head;
        if (Below(10) < 9) {
            e += " /";
            for (int i = 0, n = 2 + Below(4); i < n; ++i)
                e += Pick(kIpa);
            e += "/";
        }
        e += "\r\n*";
        e += Pick(kClasses);
        e += "\r\n";
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict)
        // inside "literal" + std::string.
        for (int i = 0, n = 1 + Below(3); i < n; ++i)
            Line(e, "-", Vietnamese(3 + Below(5)));
        if (Below(2) == 0) {
            e += '=';
            e += English(2);
            e += ' ';
            e += head;
            Line(e, "+ ", Vietnamese(3 + Below(3)));
        }
        if (Below(6) == 0) {
            e += '!';
            e += English(1);
            e += ' ';
            Line(e, "", head);
            Line(e, "-", Vietnamese(2 + Below(3)));
        }
        return e;
    }

private:
    std::mt19937_64 m_random;
};

} // namespace

namespace {

std::vector<std::string> headWords(Writer &writer, int entries)
{
    std::vector<std::string> heads;
    heads.reserve(static_cast<size_t>(entries));
    std::unordered_set<std::string> seen;
    while (static_cast<int>(heads.size()) < entries) {
        std::string head = writer.Word();
        if (writer.Below(10) == 0) {
            head += ' ';
            head += writer.Word();
        }
        if (seen.insert(head).second)
            heads.push_back(std::move(head));
    }
    return heads;
}

} // namespace

QByteArray GenerateIndex(const TGeneratorOptions &options)
{
    Writer writer(options.RandomStart);
    std::vector<std::string> heads = headWords(writer, options.Entries);
    // Generated words are lower-case ASCII: byte order is the list's order.
    std::sort(heads.begin(), heads.end());
    QByteArray out = "00-database-info\tA\tY\n00-database-short\tY\tB\n00-database-url\tZ\tB";
    out.reserve(static_cast<qsizetype>(heads.size()) * 24);
    std::uint32_t offset = 26;
    for (const std::string &head : heads) {
        const auto length = static_cast<std::uint32_t>(100 + writer.Below(70));
        out += '\n';
        out.append(head.data(), static_cast<qsizetype>(head.size()));
        out += '\t';
        out += dict::EncodeIndexNumber(static_cast<std::int32_t>(offset));
        out += '\t';
        out += dict::EncodeIndexNumber(static_cast<std::int32_t>(length));
        offset += length;
    }
    return out;
}

QByteArray GenerateDictionary(const TGeneratorOptions &options)
{
    Writer writer(options.RandomStart);
    std::vector<std::string> heads = headWords(writer, options.Entries);

    std::vector<std::string> entries;
    entries.reserve(heads.size());
    for (const std::string &head : heads)
        entries.push_back(writer.Entry(head));
    if (options.Sorted) {
        std::vector<std::pair<QString, size_t>> keyed;
        keyed.reserve(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            keyed.emplace_back(dict::SortKey(QByteArrayView(entries[i].data(), static_cast<qsizetype>(entries[i].size()))), i);
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<std::string> sorted;
        sorted.reserve(entries.size());
        for (const auto &k : keyed)
            sorted.push_back(std::move(entries[k.second]));
        entries.swap(sorted);
    }

    QByteArray out = "@00-database-info\r\n-Generated for benchmarks\r\n"
                     "@00-database-short\r\n-bench\r\n@00-database-url\r\n-none\r\n";
    for (const std::string &e : entries)
        out.append(e.data(), static_cast<qsizetype>(e.size()));
    return out;
}

} // namespace lexivoce::bench
