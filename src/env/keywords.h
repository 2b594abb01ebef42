// Keyword lookup shared by the generated scanners: tables of entries with a
// `name`, sorted in ascending byte order and searched by halves. A word is
// looked up with its ASCII capitals lowered; bytes from 0x80 up belong to
// whatever encoding the text is in and are never part of a keyword. Words
// longer than 63 bytes are never keywords, which also bounds the lowered copy.
#pragma once
#include <cstddef>
#include <cstring>

template <class Entry> const Entry *LookupKeyword(const Entry *table, int count, const char *word) {
    constexpr size_t kMaxKeywordLength = 63;
    if (word == nullptr) return nullptr;
    const size_t len = std::strlen(word);
    if (len > kMaxKeywordLength) return nullptr;
    char lower[kMaxKeywordLength + 1];
    for (size_t i = 0; i < len; ++i) {
        const char c = word[i];
        lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    lower[len] = '\0';
    int low = 0;
    int high = count - 1;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const int cmp = std::strcmp(table[mid].name, lower);
        if (cmp == 0) return &table[mid];
        if (cmp < 0) low = mid + 1;
        else high = mid - 1;
    }
    return nullptr;
}
