#include "common/encoding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rostrel {
namespace {

TEST(SameEncoding, ComparesCanonicalNames) {
  EXPECT_TRUE(SameEncoding("utf8", "UTF-8"));
  EXPECT_TRUE(SameEncoding("cp1250", "Windows-1250"));
  EXPECT_TRUE(SameEncoding("WINDOWS-1250", "windows-1250"));
  EXPECT_TRUE(SameEncoding("latin2", "ISO-8859-2"));
  EXPECT_TRUE(SameEncoding("koi8-r", "KOI8-R"));
  EXPECT_FALSE(SameEncoding("Windows-1250", "ISO-8859-2"));
  EXPECT_FALSE(SameEncoding("Windows-1250", "Windows-1252"));
  EXPECT_FALSE(SameEncoding("UTF-8", "ISO-8859-1"));
}

// Windows-1250 from 0x80 to 0xFF in UTF-8, written out from the code page's published table;
// "" marks the five bytes the code page leaves undefined.
// clang-format off
constexpr std::array<const char*, 128> kWindows1250High = {
    "€", "", "‚", "", "„", "…", "†", "‡",  // 80
    "", "‰", "Š", "‹", "Ś", "Ť", "Ž", "Ź",  // 88
    "", "‘", "’", "“", "”", "•", "–", "—",  // 90
    "", "™", "š", "›", "ś", "ť", "ž", "ź",  // 98
    "\xC2\xA0", "ˇ", "˘", "Ł", "¤", "Ą", "¦", "§",  // A0
    "¨", "©", "Ş", "«", "¬", "\xC2\xAD", "®", "Ż",  // A8
    "°", "±", "˛", "ł", "´", "µ", "¶", "·",  // B0
    "¸", "ą", "ş", "»", "Ľ", "˝", "ľ", "ż",  // B8
    "Ŕ", "Á", "Â", "Ă", "Ä", "Ĺ", "Ć", "Ç",  // C0
    "Č", "É", "Ę", "Ë", "Ě", "Í", "Î", "Ď",  // C8
    "Đ", "Ń", "Ň", "Ó", "Ô", "Ő", "Ö", "×",  // D0
    "Ř", "Ů", "Ú", "Ű", "Ü", "Ý", "Ţ", "ß",  // D8
    "ŕ", "á", "â", "ă", "ä", "ĺ", "ć", "ç",  // E0
    "č", "é", "ę", "ë", "ě", "í", "î", "ď",  // E8
    "đ", "ń", "ň", "ó", "ô", "ő", "ö", "÷",  // F0
    "ř", "ů", "ú", "ű", "ü", "ý", "ţ", "˙",  // F8
};
// clang-format on

std::string Windows1250Utf8(int byte) {
  return byte < 0x80 ? std::string(1, static_cast<char>(byte)) : kWindows1250High[byte - 0x80];
}

// Each byte on its own, then every defined byte in one text, there and back.
TEST(ConvertText, Windows1250EveryByteToUtf8AndBack) {
  std::string bytes, allUtf8, utf8, back, error;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string byte(1, static_cast<char>(b));
    const std::string expected = Windows1250Utf8(b);
    if (expected.empty() && b != 0) {
      EXPECT_FALSE(ConvertText(byte, kWindows1250, kUtf8, utf8, error));
      EXPECT_EQ(error, "Tekst nie jest poprawnie zapisany w kodowaniu Windows-1250 (bajt 1).");
      continue;
    }
    ASSERT_TRUE(ConvertText(byte, kWindows1250, kUtf8, utf8, error)) << error;
    EXPECT_EQ(utf8, expected);
    ASSERT_TRUE(ConvertText(utf8, kUtf8, kWindows1250, back, error)) << error;
    EXPECT_EQ(back, byte);
    bytes += byte;
    allUtf8 += expected;
  }
  EXPECT_EQ(bytes.size(), 251u);
  ASSERT_TRUE(ConvertText(bytes, "cp1250", "utf8", utf8, error)) << error;
  EXPECT_EQ(utf8, allUtf8);
  ASSERT_TRUE(ConvertText(utf8, kUtf8, kWindows1250, back, error)) << error;
  EXPECT_EQ(back, bytes);
}

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// "Łódź " in Windows-1250 and in UTF-8, 4000 times: 20000 and 28000 bytes, more than the 16 KiB
// the converter writes at a time.
const std::string kLong1250 = Repeated("\xA3\xF3\x64\x9F ", 4000);
const std::string kLongUtf8 = Repeated("Łódź ", 4000);

struct ConvertCase {
  const char* name;
  std::string in, from, to;
  std::string out;         // what a conversion that goes through gives; empty after a failure
  std::string error = "";  // the message of a failure; empty when the conversion goes through
};

class ConvertTextTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTextTest, ConvertsOrSaysWhyNot) {
  const ConvertCase& c = GetParam();
  std::string out = "stale", error;
  EXPECT_EQ(ConvertText(c.in, c.from, c.to, out, error), c.error.empty());
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(out, c.out);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Texts, ConvertTextTest,
    ::testing::Values(
        ConvertCase{"KnownPolishLetters", "\xB9\x9C\xA3\x9F\xAF\xEA\xF3\x8C", kWindows1250, kUtf8,
                    "ąśŁźŻęóŚ"},
        ConvertCase{"UndefinedByteIsNamedByPosition", "ab\x98" "c", kWindows1250, kUtf8, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu Windows-1250 (bajt 3)."},
        ConvertCase{"CharacterTheTargetCannotHoldIsNamed", "Zażółć 日本", kUtf8, kWindows1250, "",
                    "Znaku „日” nie da się zapisać w kodowaniu Windows-1250."},
        ConvertCase{"PolishLetterNotInLatin1", "Łódź", kUtf8, "ISO-8859-1", "",
                    "Znaku „Ł” nie da się zapisać w kodowaniu ISO-8859-1."},
        // "ąśĄŚ" in Windows-1250 and in ISO-8859-2, which place these letters differently.
        ConvertCase{"BetweenTwoSingleByteEncodings", "\xB9\x9C\xA5\x8C", kWindows1250, "ISO-8859-2",
                    "\xB1\xB6\xA1\xA6"},
        ConvertCase{"Windows1252ToLatin1", "caf\xE9", "Windows-1252", "latin1", "caf\xE9"},
        ConvertCase{"EuroSignNotInLatin1", "caf\xE9 \x80", "Windows-1252", "latin1", "",
                    "Znaku „€” nie da się zapisać w kodowaniu ISO-8859-1."},
        ConvertCase{"InvalidUtf8Source", "a\xFF" "b", kUtf8, kWindows1250, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu UTF-8 (bajt 2)."},
        // Damage is reported even behind a character that the target cannot hold.
        ConvertCase{"DamageBehindAnUnencodableCharacter", "日 a\xFF", kUtf8, kWindows1250, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu UTF-8 (bajt 6)."},
        ConvertCase{"Utf8CutInsideACharacter", "ab\xC5", kUtf8, kUtf8, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu UTF-8 (bajt 3)."},
        ConvertCase{"Utf8ToItselfIsUnchanged", "Zażółć gęślą jaźń\r\n", "utf-8", kUtf8,
                    "Zażółć gęślą jaźń\r\n"},
        ConvertCase{"EmptyText", "", kWindows1250, kUtf8, ""},
        ConvertCase{"UnknownSourceEncoding", "abc", "NO-SUCH-ENCODING", kUtf8, "",
                    "Nieznane kodowanie znaków: NO-SUCH-ENCODING."},
        ConvertCase{"UnknownTargetEncoding", "abc", kUtf8, "NO-SUCH-ENCODING", "",
                    "Nieznane kodowanie znaków: NO-SUCH-ENCODING."},
        // The same encodings, under the same names, on every system: iconv knows KOI8-R, Windows
        // knows no such name, and the program takes it on neither.
        ConvertCase{"EncodingOnlyIconvKnows", "abc", "KOI8-R", kUtf8, "",
                    "Nieznane kodowanie znaków: KOI8-R."},
        ConvertCase{"Iso885915HasTheEuroSign", "\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE", "latin9",
                    kUtf8, "€ŠšŽžŒœŸ"},
        ConvertCase{"PolishLettersInIbm852", "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ", kUtf8, "cp852",
                    "\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD"},
        // Windows' code page for US-ASCII would turn "é³" into "i3".
        ConvertCase{"ByteBeyondUsAscii", "ab\xE9\xB3", "ascii", kUtf8, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu US-ASCII (bajt 3)."},
        ConvertCase{"LetterBeyondUsAscii", "café", kUtf8, "us-ascii", "",
                    "Znaku „é” nie da się zapisać w kodowaniu US-ASCII."},
        // Texts longer than the converter's buffer, and faults found past its first fill.
        ConvertCase{"LongWindows1250ToUtf8", kLong1250, kWindows1250, kUtf8, kLongUtf8},
        ConvertCase{"LongUtf8ToWindows1250", kLongUtf8, kUtf8, kWindows1250, kLong1250},
        ConvertCase{"LongTextWithAnUndefinedByteAtItsEnd", kLong1250 + "\x98", kWindows1250,
                    kUtf8, "",
                    "Tekst nie jest poprawnie zapisany w kodowaniu Windows-1250 (bajt 20001)."},
        ConvertCase{"LongTextWithAnUnencodableCharacterAtItsEnd", kLongUtf8 + "日", kUtf8,
                    kWindows1250, "", "Znaku „日” nie da się zapisać w kodowaniu Windows-1250."}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

constexpr const char* kFffd = "\xEF\xBF\xBD";  // U+FFFD, the replacement character

struct DecoderCase {
  std::string encoding;
  std::vector<std::string> pieces;  // decoded one after another by one decoder
  std::string expected;
};

class DisplayDecoderTest : public ::testing::TestWithParam<DecoderCase> {};

TEST_P(DisplayDecoderTest, DecodesToUtf8) {
  DisplayDecoder decoder(GetParam().encoding);
  std::string out = "[";
  for (const std::string& piece : GetParam().pieces) decoder.AppendUtf8(piece, out);
  EXPECT_EQ(out, "[" + GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Encodings, DisplayDecoderTest,
    ::testing::Values(
        DecoderCase{"Windows-1250", {"\xA3\xF3" "d\x9F \xB9\x9C\xEA\xBF"}, "Łódź ąśęż"},
        DecoderCase{"cp1250", {"Gr\xEA" "bowski"}, "Grębowski"},
        DecoderCase{"ISO-8859-2", {"\xA3\xF3" "d\xBC \xB1\xB6\xEA\xBF"}, "Łódź ąśęż"},
        DecoderCase{"Windows-1252", {"caf\xE9 \x80 \x9C"}, "café € œ"},
        DecoderCase{"ISO-8859-1", {"caf\xE9 \xA4 M\xFC" "ller"}, "café ¤ Müller"},
        DecoderCase{"US-ASCII", {"Nowak"}, "Nowak"},
        DecoderCase{"IBM852", {"\xBD\xA2\x88\x86 Ewa"}, "Żółć Ewa"},
        // Undefined bytes show as the replacement character; decoding goes on after them.
        DecoderCase{"Windows-1250", {"a\x81" "b\x98"}, std::string("a") + kFffd + "b" + kFffd},
        // A name nobody knows: the bytes are shown as they are.
        DecoderCase{"NO-SUCH-ENCODING", {"abc\xC5\x82"}, "abcł"},
        DecoderCase{"Windows-1250", {""}, ""},
        DecoderCase{"Windows-1250", {"\xA3", "\xB9", "x"}, "Łąx"},
        // UTF-8 is shown as it is, each byte that is not UTF-8 as the replacement character.
        DecoderCase{"UTF-8", {"Łódź"}, "Łódź"},
        DecoderCase{"UTF-8", {"a\xFF" "b"}, std::string("a") + kFffd + "b"},  // never starts UTF-8
        DecoderCase{"UTF-8", {"\xC5"}, kFffd},  // cut off after the lead byte
        DecoderCase{"UTF-8", {"\xC0\xAF"}, std::string(kFffd) + kFffd},  // overlong '/'
        DecoderCase{"UTF-8", {"\xED\xA0\x80"}, std::string(kFffd) + kFffd + kFffd},  // surrogate
        DecoderCase{"UTF-8", {"\xF0\x9F\x8F\x8A"}, "\xF0\x9F\x8F\x8A"},  // a swimmer, four bytes
        // Encodings the program does not handle are shown as UTF-8 would show their bytes.
        DecoderCase{"SHIFT_JIS", {"a\x82\xA0\x82 b"},  // あ, then a lead byte with no trail byte
                    std::string("a") + kFffd + kFffd + kFffd + " b"},
        DecoderCase{"UTF-16LE", {std::string("A\0B\x01" "C", 5)}, std::string("A\0B\x01" "C", 5)}));
// clang-format on

TEST(AppendUtf8CodePoint, EncodesEveryLength) {
  std::string out;
  for (const uint32_t codePoint : {0x41, 0x105, 0x20AC, 0x1F3CA})
    AppendUtf8CodePoint(codePoint, out);
  EXPECT_EQ(out, "Aą€\xF0\x9F\x8F\x8A");
}

TEST(IsAsciiCompatible, SeparatesByteOrientedEncodingsFromWideOnes) {
  for (const char* name : {"UTF-8", "Windows-1250", "ISO-8859-2", "Windows-1252", "ISO-8859-1",
                           "ISO-8859-15", "IBM852", "US-ASCII"})
    EXPECT_TRUE(IsAsciiCompatible(name)) << name;
  for (const char* name : {"UTF-16", "UTF-16LE", "UTF-32", "KOI8-R", "no-such-encoding"})
    EXPECT_FALSE(IsAsciiCompatible(name)) << name;
}

}  // namespace
}  // namespace rostrel
