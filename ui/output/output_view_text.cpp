#include "ui/output/output_view_text.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>

namespace quillo {
namespace {

QStringDecoder LineDecoder()
{
    // Stateless: every line decodes on its own, as QString::fromLocal8Bit does.
    return QStringDecoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
}

QByteArrayView View(std::string_view bytes)
{
    return QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

QString LineText(std::string_view bytes)
{
    return QString::fromLocal8Bit(View(bytes));
}

LineStart DecodeLineStart(std::string_view bytes, qsizetype maxChars)
{
    maxChars = std::max<qsizetype>(maxChars, 1);
    // A character takes at most four bytes; a prefix cut inside a character
    // spoils at most the last few units it decodes to. Widen the prefix until
    // it yields more units than are shown, or holds the whole line.
    constexpr qsizetype Spoiled = 4;
    std::size_t window = static_cast<std::size_t>(maxChars) * 4 + 8;
    LineStart start;
    for (;;) {
        const bool whole = window >= bytes.size();
        start.text = LineText(whole ? bytes : bytes.substr(0, window));
        if (whole || start.text.size() > maxChars + Spoiled)
            break;
        window *= 2;
    }
    if (start.text.size() > maxChars) {
        qsizetype end = maxChars;
        if (start.text.at(end - 1).isHighSurrogate() && start.text.at(end).isLowSurrogate())
            --end;
        start.text.truncate(end);
        start.cut = true;
    }
    return start;
}

std::vector<UnitRange> UnitRanges(std::string_view bytes, const std::vector<ByteRange>& ranges, qsizetype maxUnits)
{
    // One decoder along the line: what a boundary splits is decoded once the
    // rest of it comes, as a whole line decodes.
    QStringDecoder decoder(QStringDecoder::System);
    std::vector<UnitRange> units;
    std::size_t at = 0;
    qsizetype unit = 0;
    const auto advance = [&](std::size_t to) {
        to = std::min(to, bytes.size());
        if (to > at)
            unit += QString(decoder.decode(View(bytes.substr(at, to - at)))).size();
        at = std::max(at, to);
        return unit;
    };
    for (const ByteRange& range : ranges) {
        const qsizetype begin = advance(range.begin);
        if (begin >= maxUnits)
            break;
        const qsizetype end = std::min(advance(range.end), maxUnits);
        if (end > begin)
            units.emplace_back(begin, end);
    }
    return units;
}

QString JoinedLines(const OutputLineStore& store, std::size_t count)
{
    count = std::min(count, store.Count());
    if (count == 0)
        return {};
    QStringDecoder decoder = LineDecoder();
    qsizetype units = static_cast<qsizetype>(count - 1); // the line ends
    for (std::size_t i = 0; i < count; ++i)
        units += decoder.requiredSpace(static_cast<qsizetype>(store.Line(i).size()));
    QString text(units, Qt::Uninitialized);
    QChar* const begin = text.data();
    QChar* out = begin;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0)
            *out++ = QLatin1Char('\n');
        out = decoder.appendToBuffer(out, View(store.Line(i)));
    }
    text.truncate(out - begin);
    return text;
}

} // namespace quillo
