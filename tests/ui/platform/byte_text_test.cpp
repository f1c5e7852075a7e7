#include "ui/platform/byte_text.h"

#include <QLineEdit>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace quillo::test {
namespace {

// Both ways: the bytes give the text, and the text gives the bytes back.
struct CodecCase {
    const char* name;
    std::string bytes;
    std::u16string text; // U+DC80..U+DCFF: the byte 0x80..0xFF that is no text
};

void PrintTo(const CodecCase& c, std::ostream* out) { *out << c.name; }

class ByteTextCases : public ::testing::TestWithParam<CodecCase> {};

TEST_P(ByteTextCases, BothWays)
{
    const CodecCase& c = GetParam();
    EXPECT_EQ(BytesToText(c.bytes).toStdU16String(), c.text);
    EXPECT_EQ(TextToBytes(QString::fromStdU16String(c.text)), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, ByteTextCases,
    ::testing::Values(
        CodecCase{"Empty", "", u""},
        CodecCase{"Ascii", "fox Hen", u"fox Hen"},
        CodecCase{"ControlBytesAndZero", std::string("a\0\r\n\x7f", 5), std::u16string(u"a\0\r\n\x7f", 5)},
        CodecCase{"TwoByteLetter", "caf\xc3\xa9", u"caf\u00e9"},
        CodecCase{"ThreeByteEuro", "\xe2\x82\xac", u"\u20ac"},
        CodecCase{"FourByteEmoji", "\xf0\x9f\x98\x80", u"\U0001F600"},
        CodecCase{"SmallestOfEachLength", "\xc2\x80\xe0\xa0\x80\xf0\x90\x80\x80", u"\u0080\u0800\U00010000"},
        CodecCase{"LargestOfEachLength", "\xdf\xbf\xed\x9f\xbf\xef\xbf\xbf\xf4\x8f\xbf\xbf",
                  u"\u07ff\ud7ff\uffff\U0010FFFF"},
        // U+6689E is D95A DC9E: its low half lies among the escapes; then a lone 0x9E
        CodecCase{"PairWithItsLowHalfAmongTheEscapes", "\xf1\xa6\xa2\x9e\x9e", u"\U0006689E\xdc9e"},
        CodecCase{"ReplacementCharacterStaysText", "\xef\xbf\xbd", u"\ufffd"},
        CodecCase{"Latin1Letter", "caf\xe9", u"caf\xdce9"},
        CodecCase{"LoneContinuationBytes", "\x80\xbf", u"\xdc80\xdcbf"},
        CodecCase{"BytesNeverInUtf8", "\xc0\xc1\xf5\xfe\xff", u"\xdcc0\xdcc1\xdcf5\xdcfe\xdcff"},
        CodecCase{"OverlongTwoByte", "\xc0\xaf", u"\xdcc0\xdcaf"},
        CodecCase{"OverlongThreeByte", "\xe0\x80\xaf", u"\xdce0\xdc80\xdcaf"},
        CodecCase{"OverlongFourByte", "\xf0\x8f\xbf\xbf", u"\xdcf0\xdc8f\xdcbf\xdcbf"},
        CodecCase{"EncodedHighSurrogate", "\xed\xa0\x80", u"\xdced\xdca0\xdc80"},
        // an encoded U+DCE9 must not pass for the byte 0xE9
        CodecCase{"EncodedEscapeCodePoint", "\xed\xb3\xa9", u"\xdced\xdcb3\xdca9"},
        CodecCase{"AboveTheLastCodePoint", "\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"},
        CodecCase{"FiveByteForm", "\xf8\x88\x80\x80\x80", u"\xdcf8\xdc88\xdc80\xdc80\xdc80"},
        CodecCase{"CutAtTheEnd", "ab\xe2\x82", u"ab\xdce2\xdc82"},
        CodecCase{"CutBeforeAscii", "\xf0\x9f\x98" "x", u"\xdcf0\xdc9f\xdc98" u"x"},
        CodecCase{"LeadBeforeALead", "\xc3\xc3\xa9", u"\xdcc3\u00e9"},
        CodecCase{"TextAndBytesMixed", "\xe9\xc3\xa9\xe9\xf0\x9f\x98\x80\xff", u"\xdce9\u00e9\xdce9\U0001F600\xdcff"}),
    [](const auto& info) { return std::string(info.param.name); });

// Text the bytes cannot have given: a surrogate without its partner that is
// no escape becomes U+FFFD; a high and a low surrogate are one character.
struct TextOnlyCase {
    const char* name;
    std::u16string text;
    std::string bytes;
};

void PrintTo(const TextOnlyCase& c, std::ostream* out) { *out << c.name; }

class TextToBytesCases : public ::testing::TestWithParam<TextOnlyCase> {};

TEST_P(TextToBytesCases, Bytes)
{
    const TextOnlyCase& c = GetParam();
    EXPECT_EQ(TextToBytes(QString::fromStdU16String(c.text)), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Codec, TextToBytesCases,
    ::testing::Values(TextOnlyCase{"LoneHighSurrogate", u"a\xd800" u"b", "a\xef\xbf\xbd" "b"},
                      TextOnlyCase{"HighSurrogateAtTheEnd", u"a\xd83d", "a\xef\xbf\xbd"},
                      TextOnlyCase{"LowSurrogateBelowTheEscapes", u"\xdc00\xdc7f", "\xef\xbf\xbd\xef\xbf\xbd"},
                      TextOnlyCase{"LowSurrogateAboveTheEscapes", u"\xdd00\xdfff", "\xef\xbf\xbd\xef\xbf\xbd"},
                      TextOnlyCase{"SwappedPair", u"\xde00\xd83d", "\xef\xbf\xbd\xef\xbf\xbd"},
                      TextOnlyCase{"HighSurrogateBeforeAnEscapeIsAPair", u"\xd800\xdc80", "\xf0\x90\x82\x80"}),
    [](const auto& info) { return std::string(info.param.name); });

// A byte string of pieces that come near UTF-8: ASCII, any byte, well-formed
// sequences, their cut-off starts, overlong forms and encoded surrogates.
std::string RandomBytes(std::mt19937& random)
{
    auto pick = [&](unsigned low, unsigned high) { return std::uniform_int_distribution<unsigned>(low, high)(random); };
    // The UTF-8 form of a given length, overlong or out of range if asked.
    auto encode = [](char32_t code, std::size_t length) {
        const unsigned leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
        std::string bytes(length, '\0');
        for (std::size_t i = length - 1; i > 0; --i, code >>= 6)
            bytes[i] = static_cast<char>(0x80 | (code & 0x3F));
        bytes[0] = static_cast<char>(leads[length] | code);
        return bytes;
    };
    auto valid = [&] {
        const char32_t code = pick(0x80, 0x10FFFF);
        if (code >= 0xD800 && code <= 0xDFFF)
            return encode(code + 0x800, 3);
        return encode(code, code < 0x800 ? 2 : code < 0x10000 ? 3 : 4);
    };
    std::string bytes;
    const unsigned pieces = pick(0, 12);
    for (unsigned i = 0; i < pieces; ++i) {
        switch (pick(0, 6)) {
        case 0: bytes += static_cast<char>(pick(0, 0x7F)); break;
        case 1: bytes += static_cast<char>(pick(0x80, 0xFF)); break;
        case 2: bytes += valid(); break;
        case 3: { // cut short
            const std::string whole = valid();
            bytes += whole.substr(0, pick(1, unsigned(whole.size()) - 1));
            break;
        }
        case 4: bytes += encode(pick(0, 0x7FF), 3); break;             // overlong
        case 5: bytes += encode(pick(0xD800, 0xDFFF), 3); break;       // surrogate
        default: bytes += encode(pick(0x110000, 0x1FFFFF), 4); break;  // beyond U+10FFFF
        }
    }
    return bytes;
}

// Every byte string comes back unchanged, and one that Qt's own strict
// decoder takes as UTF-8 (typed text) gives Qt's text.
TEST(ByteTextSweep, EveryByteStringComesBack)
{
    std::mt19937 random(20240611);
    for (int i = 0; i < 100000; ++i) {
        const std::string bytes = RandomBytes(random);
        const QString text = BytesToText(bytes);
        ASSERT_EQ(TextToBytes(text), bytes);
        QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString qtText = strict(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        ASSERT_EQ(text == qtText, !strict.hasError()) << ::testing::PrintToString(bytes);
    }
}

// What the search string fields hold: the escapes unchanged, and once the
// field's default maximum of 32,767 characters is lifted, any length.
TEST(ByteTextField, LineEditKeepsEscapesAndLongTexts)
{
    std::string allBytes = "caf";
    for (int b = 0x80; b <= 0xFF; ++b)
        allBytes += static_cast<char>(b);
    QLineEdit field;
    field.setText(BytesToText(allBytes));
    EXPECT_EQ(TextToBytes(field.text()), allBytes);

    const std::string longText(40003, 'x');
    field.setText(BytesToText(longText));
    EXPECT_LT(field.text().size(), 40003) << "a field as Qt makes it was expected to cut this text";
    field.setMaxLength(std::numeric_limits<int>::max());
    field.setText(BytesToText(longText));
    EXPECT_EQ(TextToBytes(field.text()), longText);
}

} // namespace
} // namespace quillo::test
