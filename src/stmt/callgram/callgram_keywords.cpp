// Keyword table of the callable-block scanner.
#include <cstring>

#include "callgram_gram.hpp"
#include "env/keywords.h"
#include "stmt/callgram/callgram_internal.h"

namespace {
// Strict ascending byte order: the lookup searches it by halves.
const ScanGramKeyword kKeywords[] = {
    {"begin", BEGIN_P},
    {"end", END},
};
constexpr int kKeywordCount = static_cast<int>(sizeof kKeywords / sizeof kKeywords[0]);
}  // namespace

const ScanGramKeyword *ScanGramKeywordLookup(const char *word) {
    return LookupKeyword(kKeywords, kKeywordCount, word);
}
