// Generated pictures (JPEG, PNG, GIF) with exact padded sizes, and gzip, for the fake service.

#include "FakeLofter.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>

#include <zlib.h>

#include <array>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

namespace testsupport {
namespace {

std::uint32_t Mix(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// Four distinct colours per seed.
std::array<QRgb, 4> Palette(int seed)
{
    std::array<QRgb, 4> colours{};
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t h = Mix(static_cast<std::uint32_t>(seed) * 4U + static_cast<uint>(i));
        colours[static_cast<std::size_t>(i)] =
            qRgb(static_cast<int>(h & 0xff), static_cast<int>((h >> 8) & 0xff),
                 static_cast<int>((h >> 16) & 0xff) | (i * 64));
    }
    return colours;
}

int PaletteIndex(int x, int y, int seed)
{
    return ((x / 4) + (y / 4) * 3 + seed) & 3;
}

QByteArray EncodeWithQImage(const PictureSpec &spec, const char *format)
{
    QImage image(spec.width, spec.height, QImage::Format_RGB32);
    const auto colours = Palette(spec.seed);
    for (int y = 0; y < spec.height; ++y) {
        for (int x = 0; x < spec.width; ++x) {
            image.setPixel(x, y, colours[static_cast<std::size_t>(PaletteIndex(x, y, spec.seed))]);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        throw std::runtime_error(std::string("QImage cannot write ") + format);
    }
    return bytes;
}

void AppendLe16(QByteArray &out, int value)
{
    out.append(static_cast<char>(value & 0xff));
    out.append(static_cast<char>((value >> 8) & 0xff));
}

// LSB-first bit packer for GIF's LZW stream.
class BitWriter {
public:
    void Put(unsigned code, int width)
    {
        acc_ |= static_cast<std::uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out_.append(static_cast<char>(acc_ & 0xff));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray Finish()
    {
        if (bits_ > 0) {
            out_.append(static_cast<char>(acc_ & 0xff));
        }
        return out_;
    }

private:
    QByteArray out_;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

// A GIF89a with a four-colour global table. The LZW stream sends a clear code before every
// second pixel, so the code width stays at three bits and no string table is needed.
QByteArray EncodeGif(const PictureSpec &spec)
{
    QByteArray out("GIF89a");
    AppendLe16(out, spec.width);
    AppendLe16(out, spec.height);
    out.append(static_cast<char>(0x91)); // global table, 2 bits of colour resolution, 4 entries
    out.append('\0');                    // background colour index
    out.append('\0');                    // pixel aspect ratio
    for (QRgb c : Palette(spec.seed)) {
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    out.append(',');
    AppendLe16(out, 0);
    AppendLe16(out, 0);
    AppendLe16(out, spec.width);
    AppendLe16(out, spec.height);
    out.append('\0'); // no local table, not interlaced
    const unsigned minCodeSize = 2;
    const unsigned clearCode = 1U << minCodeSize;
    const unsigned endCode = clearCode + 1;
    out.append(static_cast<char>(minCodeSize));
    BitWriter bits;
    int sinceClear = 2;
    for (int y = 0; y < spec.height; ++y) {
        for (int x = 0; x < spec.width; ++x) {
            if (sinceClear == 2) {
                bits.Put(clearCode, 3);
                sinceClear = 0;
            }
            bits.Put(static_cast<unsigned>(PaletteIndex(x, y, spec.seed)), 3);
            ++sinceClear;
        }
    }
    bits.Put(endCode, 3);
    const QByteArray data = bits.Finish();
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - at);
        out.append(static_cast<char>(n));
        out.append(data.mid(at, n));
    }
    out.append('\0');
    out.append(';');
    return out;
}

QByteArray Filler(std::int64_t n)
{
    return QByteArray(static_cast<qsizetype>(n), 'g');
}

// JPEG: comment segments (FF FE, 2-byte length counting itself) right after SOI.
QByteArray PadJpeg(const QByteArray &natural, std::int64_t pad)
{
    QByteArray segments;
    while (pad >= 4) {
        std::int64_t take = std::min<std::int64_t>(pad, 65535 + 2);
        if (pad - take > 0 && pad - take < 4) {
            take = pad - 4;
        }
        const std::int64_t length = take - 2;
        segments.append(static_cast<char>(0xff));
        segments.append(static_cast<char>(0xfe));
        segments.append(static_cast<char>((length >> 8) & 0xff));
        segments.append(static_cast<char>(length & 0xff));
        segments.append(Filler(length - 2));
        pad -= take;
    }
    QByteArray out = natural.left(2) + segments + natural.mid(2);
    out.append(QByteArray(static_cast<qsizetype>(pad), '\0')); // after EOI
    return out;
}

void AppendBe32(QByteArray &out, std::uint32_t v)
{
    out.append(static_cast<char>((v >> 24) & 0xff));
    out.append(static_cast<char>((v >> 16) & 0xff));
    out.append(static_cast<char>((v >> 8) & 0xff));
    out.append(static_cast<char>(v & 0xff));
}

// PNG: private ancillary chunks "paDd" (12 bytes of frame each, at most 1 MiB of data, so
// that decoders with chunk size limits accept them) before IEND, the last 12 bytes.
QByteArray PadPng(const QByteArray &natural, std::int64_t pad)
{
    constexpr std::int64_t kMaxData = 1 << 20;
    const QByteArray type("paDd");
    QByteArray chunks;
    while (pad >= 12) {
        std::int64_t take = std::min(pad, kMaxData + 12);
        if (pad - take > 0 && pad - take < 12) {
            take = pad - 12;
        }
        const QByteArray data = Filler(take - 12);
        AppendBe32(chunks, static_cast<std::uint32_t>(data.size()));
        chunks.append(type);
        chunks.append(data);
        uLong crc = crc32(0L, Z_NULL, 0);
        crc = crc32(crc, reinterpret_cast<const Bytef *>(type.constData()), 4);
        crc = crc32_z(crc, reinterpret_cast<const Bytef *>(data.constData()),
                      static_cast<z_size_t>(data.size()));
        AppendBe32(chunks, static_cast<std::uint32_t>(crc));
        pad -= take;
    }
    QByteArray out = natural.left(natural.size() - 12) + chunks + natural.right(12);
    out.append(QByteArray(static_cast<qsizetype>(pad), '\0')); // after IEND
    return out;
}

// GIF: one comment extension (21 FE, sub-blocks of 1 + 1..255 bytes, 00) after the colour
// table; it costs 3 + S bytes for any S except 1. Gaps it cannot fill go after the trailer.
QByteArray PadGif(const QByteArray &natural, std::int64_t pad)
{
    const qsizetype afterTable = 6 + 7 + 12;
    QByteArray extension;
    if (pad == 3 || pad >= 5) {
        extension.append('!');
        extension.append(static_cast<char>(0xfe));
        std::int64_t blocks = pad - 3;
        while (blocks > 0) {
            std::int64_t take = std::min<std::int64_t>(256, blocks);
            if (blocks - take == 1) {
                --take;
            }
            extension.append(static_cast<char>(take - 1));
            extension.append(Filler(take - 1));
            blocks -= take;
        }
        extension.append('\0');
        pad = 0;
    }
    QByteArray out = natural.left(afterTable) + extension + natural.mid(afterTable);
    out.append(QByteArray(static_cast<qsizetype>(pad), '\0')); // after the trailer
    return out;
}

using Key = std::tuple<int, int, int, int>;
std::mutex cacheMutex;
std::map<Key, QByteArray> naturalCache;
std::map<std::tuple<int, int, int, int, std::int64_t>, QByteArray> paddedCache;
std::int64_t paddedCacheBytes = 0;
constexpr std::int64_t kPaddedCacheLimit = std::int64_t{256} << 20;

QByteArray Natural(const PictureSpec &spec)
{
    const Key key{static_cast<int>(spec.kind), spec.seed, spec.width, spec.height};
    {
        std::lock_guard lock(cacheMutex);
        auto it = naturalCache.find(key);
        if (it != naturalCache.end()) {
            return it->second;
        }
    }
    QByteArray bytes;
    switch (spec.kind) {
    case PictureKind::Jpeg:
        bytes = EncodeWithQImage(spec, "JPG");
        break;
    case PictureKind::Png:
        bytes = EncodeWithQImage(spec, "PNG");
        break;
    case PictureKind::Gif:
        bytes = EncodeGif(spec);
        break;
    }
    std::lock_guard lock(cacheMutex);
    naturalCache.emplace(key, bytes);
    return bytes;
}

} // namespace

QString PictureExtension(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return QStringLiteral("jpg");
    case PictureKind::Png:
        return QStringLiteral("png");
    case PictureKind::Gif:
        return QStringLiteral("gif");
    }
    return {};
}

QByteArray PictureBytes(const PictureSpec &spec)
{
    if (spec.width < 1 || spec.height < 1 || spec.width > 4096 || spec.height > 4096 ||
        spec.seed < 0) {
        throw std::invalid_argument("PictureSpec out of range");
    }
    const QByteArray natural = Natural(spec);
    if (spec.byteSize <= natural.size()) {
        return natural;
    }
    const auto key = std::make_tuple(static_cast<int>(spec.kind), spec.seed, spec.width,
                                     spec.height, spec.byteSize);
    {
        std::lock_guard lock(cacheMutex);
        auto it = paddedCache.find(key);
        if (it != paddedCache.end()) {
            return it->second;
        }
    }
    const std::int64_t pad = spec.byteSize - natural.size();
    QByteArray bytes;
    switch (spec.kind) {
    case PictureKind::Jpeg:
        bytes = PadJpeg(natural, pad);
        break;
    case PictureKind::Png:
        bytes = PadPng(natural, pad);
        break;
    case PictureKind::Gif:
        bytes = PadGif(natural, pad);
        break;
    }
    std::lock_guard lock(cacheMutex);
    if (paddedCacheBytes + bytes.size() > kPaddedCacheLimit) {
        paddedCache.clear();
        paddedCacheBytes = 0;
    }
    if (paddedCache.emplace(key, bytes).second) {
        paddedCacheBytes += bytes.size();
    }
    return bytes;
}

QString PicturePath(const PictureSpec &spec)
{
    return QStringLiteral("/img/%1_%2x%3_%4.%5")
        .arg(spec.seed)
        .arg(spec.width)
        .arg(spec.height)
        .arg(spec.byteSize)
        .arg(PictureExtension(spec.kind));
}

std::optional<PictureSpec> ParsePicturePath(const QString &path)
{
    static const QRegularExpression pattern(
        QStringLiteral("^/img/(\\d{1,9})_(\\d{1,4})x(\\d{1,4})_(\\d{1,12})\\.(jpg|png|gif)$"));
    const QString bare = path.section(QLatin1Char('?'), 0, 0);
    const auto match = pattern.match(bare);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    PictureSpec spec;
    spec.seed = match.captured(1).toInt();
    spec.width = match.captured(2).toInt();
    spec.height = match.captured(3).toInt();
    spec.byteSize = match.captured(4).toLongLong();
    const QString ext = match.captured(5);
    spec.kind = ext == QLatin1String("jpg")   ? PictureKind::Jpeg
                : ext == QLatin1String("png") ? PictureKind::Png
                                              : PictureKind::Gif;
    if (spec.width < 1 || spec.height < 1 || spec.width > 4096 || spec.height > 4096) {
        return std::nullopt;
    }
    return spec;
}

QByteArray GzipBytes(const QByteArray &bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("deflateInit2 failed");
    }
    QByteArray out;
    out.resize(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(bytes.size()))) +
               32);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const auto produced = static_cast<qsizetype>(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("deflate failed");
    }
    out.truncate(produced);
    return out;
}

} // namespace testsupport
