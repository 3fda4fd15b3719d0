#include "TextToolkit.h"

#include <QStringConverter>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>

namespace {

// The converter name for a code page number, or nullptr when it is not understood. Names are
// those of ICU, which backs Qt's named converters whatever the host locale.
const char *CodePageName(int codePage)
{
    switch (codePage) {
    case 0: // the local code page of the original platform
    case 1: // its OEM code page
    case 2: // its Mac code page
    case 3: // its thread code page
    case 936:
        return "GBK";
    case 54936:
        return "GB18030";
    case 950:
        return "Big5";
    case 932:
        return "Shift_JIS";
    case 949:
        return "windows-949";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 20127:
        return "US-ASCII";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    case 28593:
        return "ISO-8859-3";
    case 28594:
        return "ISO-8859-4";
    case 28595:
        return "ISO-8859-5";
    case 28596:
        return "ISO-8859-6";
    case 28597:
        return "ISO-8859-7";
    case 28598:
        return "ISO-8859-8";
    case 28599:
        return "ISO-8859-9";
    case 28603:
        return "ISO-8859-13";
    case 28605:
        return "ISO-8859-15";
    case 1200:
        return "UTF-16LE";
    case 1201:
        return "UTF-16BE";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

// Stateless: one call converts everything, an incomplete sequence at the end included.
// ConvertInitialBom: a byte order mark is kept as U+FEFF, as the original platform does.
constexpr QStringConverter::Flags kConverterFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

QString EndAtNul(QString text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

std::uint8_t KeyByte(const QByteArray &key, qsizetype index)
{
    if (key.isEmpty())
        return 0;
    return static_cast<std::uint8_t>(key.at(index % key.size()));
}

// The value of one hexadecimal digit of either case; any other character counts as 0.
int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

constexpr char kUpperHex[] = "0123456789ABCDEF";

} // namespace

QByteArray ToGbk(const QString &text)
{
    QStringEncoder encoder("GBK", kConverterFlags);
    if (!encoder.isValid() || text.isEmpty())
        return {};
    QByteArray bytes = encoder.encode(text);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return bytes;
}

QString FromCodePage(const char *bytes, qsizetype length, int codePage)
{
    if (!bytes || length <= 0)
        return {};
    const char *name = CodePageName(codePage);
    if (!name)
        return {};
    QStringDecoder decoder(name, kConverterFlags);
    if (!decoder.isValid())
        return {};
    QString text = decoder.decode(QByteArrayView(bytes, length));
    return EndAtNul(std::move(text));
}

QString RandomFraction()
{
    // A generator of our own, seeded per call: no shared state between threads.
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(std::time(nullptr)));
    const unsigned r = static_cast<unsigned>(generator() % 32768u);
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%0.16f\n", r / 32767.0);
    if (length <= 0)
        return {};
    return QString::fromLatin1(buffer, length);
}

QString ResolveHostIPv4(const QByteArray &name)
{
    if (name.isEmpty() || name.contains('\0'))
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0 || !found)
        return {};
    QString address;
    for (const addrinfo *entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || !entry->ai_addr)
            continue;
        const auto *ipv4 = reinterpret_cast<const sockaddr_in *>(entry->ai_addr);
        const auto *b = reinterpret_cast<const unsigned char *>(&ipv4->sin_addr.s_addr);
        char buffer[32];
        const int length =
            std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
        if (length > 0)
            address = QString::fromLatin1(buffer, length);
        break;
    }
    freeaddrinfo(found);
    return address;
}

void InvertedHex(QByteArray &narrow, bool encode)
{
    QByteArray out;
    if (encode) {
        out.resize(narrow.size() * 2);
        for (qsizetype i = 0; i < narrow.size(); ++i) {
            const unsigned v = 255u - static_cast<unsigned char>(narrow.at(i));
            out[2 * i] = kUpperHex[v >> 4];
            out[2 * i + 1] = kUpperHex[v & 0xF];
        }
    } else {
        out.resize(narrow.size() / 2);
        for (qsizetype i = 0; i < out.size(); ++i) {
            const int v = HexDigit(narrow.at(2 * i)) * 16 + HexDigit(narrow.at(2 * i + 1));
            out[i] = static_cast<char>(255 - v);
        }
    }
    narrow = std::move(out);
}

QString CryptText(const QString &text, bool encode, const QString &key)
{
    const QByteArray keyBytes = ToGbk(key);
    QByteArray in = ToGbk(text);
    QByteArray out;
    if (encode) {
        out.reserve(in.size() * 2);
        for (qsizetype i = 0; i < in.size(); ++i) {
            const std::uint8_t k = KeyByte(keyBytes, i);
            const std::uint8_t c = static_cast<std::uint8_t>(in.at(i)) ^ k;
            if (c == 0 || c == 13 || c == 10) {
                out.append(static_cast<char>(k));
                out.append(c == 0 ? '1' : c == 13 ? '2' : '3');
            } else {
                out.append(static_cast<char>(c));
            }
        }
        InvertedHex(out, true);
        return QString::fromLatin1(out); // uppercase hexadecimal digits only
    }
    InvertedHex(in, false);
    out.reserve(in.size());
    qsizetype keyIndex = 0;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const std::uint8_t k = KeyByte(keyBytes, keyIndex);
        const std::uint8_t b = static_cast<std::uint8_t>(in.at(i));
        if (b == k) {
            if (i + 1 >= in.size())
                break; // an escape with no digit after it
            const char digit = in.at(++i);
            out.append(static_cast<char>(digit == '1' ? k : digit == '2' ? k ^ 13 : k ^ 10));
        } else {
            out.append(static_cast<char>(b ^ k));
        }
        ++keyIndex;
    }
    return FromCodePage(out, CP_GBK);
}

QString XorHex(const QString &text, bool encode, const QString &key)
{
    const QByteArray keyBytes = ToGbk(key);
    const QByteArray in = ToGbk(text);
    QByteArray out;
    if (encode) {
        out.resize(in.size() * 2);
        for (qsizetype i = 0; i < in.size(); ++i) {
            const unsigned v = static_cast<std::uint8_t>(in.at(i)) ^ KeyByte(keyBytes, i);
            out[2 * i] = kUpperHex[v >> 4];
            out[2 * i + 1] = kUpperHex[v & 0xF];
        }
        return QString::fromLatin1(out);
    }
    if (in.size() % 2 != 0)
        return {};
    out.resize(in.size() / 2);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const int v = HexDigit(in.at(2 * i)) * 16 + HexDigit(in.at(2 * i + 1));
        out[i] = static_cast<char>(v ^ KeyByte(keyBytes, i));
    }
    return FromCodePage(out, CP_GBK);
}

QString ShiftText(const QString &text, int first, int step)
{
    QByteArray bytes = ToGbk(text);
    // Unsigned arithmetic wraps modulo 2^32, a multiple of 256: the low byte is the result
    // modulo 256 for negative numbers and large indexes alike, without overflow.
    const auto base = static_cast<std::uint32_t>(first);
    const auto stride = static_cast<std::uint32_t>(step);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const std::uint32_t value =
            static_cast<std::uint8_t>(bytes.at(i)) + base + static_cast<std::uint32_t>(i) * stride;
        bytes[i] = static_cast<char>(value & 0xFFu);
    }
    return FromCodePage(bytes, CP_GBK);
}
