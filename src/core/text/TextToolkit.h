#pragma once

// Text toolkit: conversion between UTF-16 texts and narrow code page 936 (GBK) byte strings,
// the random-number text of request addresses, IPv4 host name resolution, and the three
// routines with which the program may keep some of its own texts enciphered.
//
// A "narrow text" is a QByteArray: its bytes, with QByteArray's terminating NUL after them,
// holding GBK unless a caller says otherwise.
//
// Every function here is safe to call from any thread at the same time as any other: no
// function keeps global state (the conversions create their own converters, RandomFraction its
// own generator). GetClipboardText needs Qt Gui and lives in the window library
// (src/gui/Clipboard.h).

#include <QByteArray>
#include <QString>

// Code page numbers understood by FromCodePage.
inline constexpr int CP_GBK = 936;
inline constexpr int CP_UTF8 = 65001;

// UTF-16 to GBK over the whole length, independent of the host locale; the result ends before
// the first NUL byte (a U+0000 in `text` ends it). Characters that GBK cannot represent, and
// lone surrogates, follow the converter's replacement rule (each becomes one substitute byte).
QByteArray ToGbk(const QString &text);

// `length` bytes in `codePage` to UTF-16; the result ends before the first NUL character.
// Zero bytes, a null pointer, or a code page not understood give an empty text; invalid bytes
// become U+FFFD. Understood code pages: 0, 1, 2 and 3 (the local, OEM, Mac and thread code pages
// of the original platform, all taken as 936), 936 GBK, 54936 GB18030, 950 Big5, 932
// Shift_JIS, 949 (Korean), 1250-1258 (Windows), 20127 US-ASCII, 28591-28606 (ISO 8859-n,
// where the converter knows them), 1200 UTF-16LE, 1201 UTF-16BE, 65001 UTF-8.
QString FromCodePage(const char *bytes, qsizetype length, int codePage);
inline QString FromCodePage(const QByteArray &bytes, int codePage)
{
    return FromCodePage(bytes.constData(), bytes.size(), codePage);
}

// A random number r / 32767 (r from 0 to 32767) in the form "%0.16f\n": one digit, the point,
// 16 digits and a line feed. The generator is seeded with the current time in seconds on every
// call, so two calls within the same second give the same text.
QString RandomFraction();

// The first IPv4 address of the narrow host `name` as "%d.%d.%d.%d", or empty when the name
// does not resolve (or is empty). Blocks for as long as the system resolver takes.
QString ResolveHostIPv4(const QByteArray &name);

// In place. Encode: each byte b becomes two uppercase hexadecimal digits of 255 - b, high digit
// first. Decode: each pair of digits becomes the byte 255 - value; lowercase digits are
// accepted, any other character counts as the digit 0, and a last unpaired digit is dropped.
void InvertedHex(QByteArray &narrow, bool encode);

// Keyed cipher over the GBK forms of `text` and `key` (key bytes in a cycle; an empty key acts
// as the single key byte 0). Encode: c = t XOR k, with the escapes k '1' for c == 0, k '2' for
// c == 13, k '3' for c == 10, then InvertedHex. Decode: InvertedHex, then a byte equal to the
// current key byte starts an escape ('1' gives k, '2' k XOR 13, any other digit k XOR 10; an
// escape byte with nothing after it is dropped), any other byte b gives b XOR k. The result is
// read back as GBK. Decode(Encode(t)) == t for every t that GBK represents.
QString CryptText(const QString &text, bool encode, const QString &key);

// Keyed cipher with plain hexadecimal. Encode: each GBK byte XOR the current key byte as "%02X".
// Decode: an odd-length text gives an empty text; otherwise each pair of digits (either case;
// any other character counts as the digit 0) XOR the current key byte gives a byte, and the
// bytes are read as GBK. Key as for CryptText.
QString XorHex(const QString &text, bool encode, const QString &key);

// GBK byte i (from 0) becomes (byte + first + i * step) modulo 256; the bytes are read back as
// GBK (so the result ends before a byte that became 0). `first` and `step` may be negative.
QString ShiftText(const QString &text, int first, int step);
