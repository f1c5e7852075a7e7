#include "ui/platform/byte_text.h"

namespace quillo {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at p (at most `available`
// bytes), 0 when it is none. The ranges of the second byte shut out overlong
// forms, surrogates and code points above U+10FFFF.
std::size_t SequenceLength(const unsigned char* p, std::size_t available)
{
    const unsigned char lead = p[0];
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    }
    if (length == 0 || available < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(p[i]))
            return 0;
    return length;
}

char32_t Decode(const unsigned char* p, std::size_t length)
{
    char32_t code = p[0] & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (p[i] & 0x3F);
    return code;
}

void AppendUtf8(std::string& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

QString BytesToText(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    for (std::size_t i = 0; i < size;) {
        if (p[i] < 0x80) {
            text += QChar(p[i++]);
            continue;
        }
        const std::size_t length = SequenceLength(p + i, size - i);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapeBase + p[i++]));
            continue;
        }
        const char32_t code = Decode(p + i, length);
        if (code < 0x10000) {
            text += QChar(static_cast<char16_t>(code));
        } else {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        }
        i += length;
    }
    return text;
}

std::string TextToBytes(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const QChar* units = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i].unicode();
        if (!QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, unit);
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && units[i + 1].isLowSurrogate()) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, units[i + 1].unicode()));
            ++i;
        } else if (unit >= kFirstEscape && unit <= kLastEscape) {
            bytes += static_cast<char>(unit - kEscapeBase);
        } else {
            AppendUtf8(bytes, 0xFFFD);
        }
    }
    return bytes;
}

} // namespace quillo
