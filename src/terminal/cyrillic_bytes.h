#ifndef CYRILLIC_BYTES_H
#define CYRILLIC_BYTES_H

#include <QtGlobal>

// The tool's own texts are ASCII and Cyrillic, which fit one byte a character:
// ASCII as itself and U+0400 to U+047F as 0x80 to 0xFF.
constexpr ushort cyrillicOffset = 0x0400 - 0x80;

// Writes the characters into bytes that way; false, with the bytes of no use,
// when a character is neither ASCII nor in that Cyrillic block. Every line of a
// busy bus passes here, eight characters at a time where the machine can.
bool toCyrillicBytes(const ushort *chars, int count, char *bytes);

#endif
