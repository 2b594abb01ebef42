// Byte-order helpers for the tests of the Windows build (little-endian x64),
// without winsock's headers.
#pragma once

#include <stdint.h>

inline uint32_t htonl(uint32_t v) { return __builtin_bswap32(v); }
inline uint32_t ntohl(uint32_t v) { return __builtin_bswap32(v); }
inline uint16_t htons(uint16_t v) { return __builtin_bswap16(v); }
inline uint16_t ntohs(uint16_t v) { return __builtin_bswap16(v); }
