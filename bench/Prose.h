// English-like prose for the text benchmarks: words drawn from a fixed
// vocabulary with a skewed frequency (short common words often, long ones
// rarely), sentences that start with a capital and end with a full stop,
// commas now and then. Plain ASCII, so the same bytes reach every PDF writer
// through WinAnsiEncoding. The same seed gives the same text everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/BenchCommon.h"

namespace vellumark::bench {

class TProse {
public:
    explicit TProse(uint64_t seed) : rng_(seed) {
        static const char* const kWords[] = {
            "the", "of", "and", "to", "a", "in", "is", "it", "that", "was", "for", "on", "are", "with", "as",
            "be", "at", "by", "this", "had", "not", "but", "from", "or", "have", "an", "they", "which", "one",
            "were", "all", "we", "when", "there", "can", "more", "if", "no", "out", "so", "said", "what", "up",
            "its", "about", "into", "than", "them", "only", "other", "new", "some", "could", "time", "these",
            "two", "may", "then", "first", "any", "like", "now", "such", "our", "over", "man", "me", "even",
            "most", "made", "after", "also", "did", "many", "before", "must", "through", "back", "years",
            "where", "much", "your", "way", "well", "down", "should", "because", "each", "just", "those",
            "people", "how", "too", "little", "state", "good", "very", "make", "world", "still", "own", "see",
            "men", "work", "long", "get", "here", "between", "both", "life", "being", "under", "never", "day",
            "same", "another", "know", "while", "last", "might", "great", "old", "year", "off", "come", "since",
            "against", "go", "came", "right", "used", "take", "three", "report", "account", "balance",
            "quarter", "figures", "department", "committee", "proposal", "statement", "agreement", "delivery",
            "schedule", "customer", "contract", "inventory", "shipment", "warehouse", "production", "budget",
            "revenue", "expenditure", "operations", "management", "regional", "quarterly", "preliminary",
            "considerable", "accordingly", "nevertheless", "furthermore", "approximately", "responsibility",
            "requirements", "arrangements", "circumstances", "documentation", "investigation", "understanding",
            "Wednesday", "Thursday", "September", "November", "London", "Hamburg", "Rotterdam", "Lisbon"};
        for (const char* w : kWords) words_.emplace_back(w);
    }

    // One written line of at least `length` - 1 characters and at most one
    // word more than `length`, closed with a full stop.
    std::string Line(std::size_t length) {
        std::string s;
        s.reserve(length + 16);
        bool sentenceStart = true;
        while (s.size() + 1 < length) {
            if (!s.empty()) s += ' ';
            std::string w = Word();
            if (sentenceStart && w[0] >= 'a' && w[0] <= 'z') w[0] = static_cast<char>(w[0] - 'a' + 'A');
            s += w;
            sentenceStart = false;
            const uint32_t r = rng_.Below(100);
            if (r < 9) {
                s += '.';
                sentenceStart = true;
            } else if (r < 15) {
                s += ',';
            }
        }
        while (!s.empty() && (s.back() == ',' || s.back() == '.')) s.pop_back();
        s += '.';
        return s;
    }

    // A line of a length drawn uniformly from [shortest, longest].
    std::string Line(std::size_t shortest, std::size_t longest) {
        return Line(shortest + rng_.Below(static_cast<uint32_t>(longest - shortest + 1)));
    }

private:
    // Word k of the list with a weight of about 1 / (k + 4): a flattened
    // Zipf law, so that short function words dominate as in real prose.
    const std::string& Word() {
        if (cumulative_.empty()) {
            double sum = 0;
            for (std::size_t k = 0; k < words_.size(); ++k) {
                sum += 1.0 / (static_cast<double>(k) + 4);
                cumulative_.push_back(sum);
            }
        }
        const double u = rng_.Unit() * cumulative_.back();
        std::size_t lo = 0, hi = cumulative_.size() - 1;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (cumulative_[mid] < u) lo = mid + 1;
            else hi = mid;
        }
        return words_[lo];
    }

    TRandom rng_;
    std::vector<std::string> words_;
    std::vector<double> cumulative_;
};

// The narrow (Windows-1252, here ASCII) text as the UTF-16 the engine's
// interface takes.
inline std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

}  // namespace vellumark::bench
