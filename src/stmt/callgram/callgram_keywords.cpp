// Keyword table of the callable-block scanner.
#include <cstring>

#include "callgram_gram.hpp"
#include "stmt/callgram/callgram_internal.h"

namespace {
// Strict ascending byte order: the lookup searches it by halves.
const ScanGramKeyword kKeywords[] = {
    {"begin", BEGIN_P},
    {"end", END},
};
constexpr int kKeywordCount = static_cast<int>(sizeof kKeywords / sizeof kKeywords[0]);

// No keyword is anywhere near this long; longer words are never keywords,
// which also bounds the lowered copy.
constexpr size_t kMaxKeywordLength = 63;
}  // namespace

const ScanGramKeyword *ScanGramKeywordLookup(const char *word) {
    if (word == nullptr) return nullptr;
    size_t len = std::strlen(word);
    if (len > kMaxKeywordLength) return nullptr;
    // Only ASCII capitals are lowered: bytes from 0x80 up are letters of
    // whatever encoding the text is in and never part of a keyword.
    char lower[kMaxKeywordLength + 1];
    for (size_t i = 0; i < len; ++i) {
        char c = word[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    lower[len] = '\0';

    int low = 0;
    int high = kKeywordCount - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        int cmp = std::strcmp(kKeywords[mid].name, lower);
        if (cmp == 0) return &kKeywords[mid];
        if (cmp < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    return nullptr;
}
