#include "common/encoding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rostrel {
namespace {

std::string Utf8Of(uint32_t codePoint) {
  std::string out;
  AppendUtf8CodePoint(codePoint, out);
  return out;
}

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

// Windows-1250 from 0x80 to 0xFF, written out from the code page's published table; 0 marks
// the five bytes the code page leaves undefined.
constexpr std::array<uint32_t, 128> kWindows1250High = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

uint32_t Windows1250CodePoint(int byte) {
  return byte < 0x80 ? byte : kWindows1250High[byte - 0x80];
}

TEST(ConvertText, Windows1250EveryByteToUtf8AndBack) {
  int defined = 0;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const std::string byte(1, static_cast<char>(b));
    const uint32_t cp = Windows1250CodePoint(b);
    std::string utf8, error;
    if (cp == 0 && b != 0) {
      EXPECT_FALSE(ConvertText(byte, kWindows1250, kUtf8, utf8, error));
      EXPECT_EQ(error, "Tekst nie jest poprawnie zapisany w kodowaniu Windows-1250 (bajt 1).");
      continue;
    }
    ++defined;
    ASSERT_TRUE(ConvertText(byte, kWindows1250, kUtf8, utf8, error)) << error;
    EXPECT_EQ(utf8, Utf8Of(cp));
    std::string back;
    ASSERT_TRUE(ConvertText(utf8, kUtf8, kWindows1250, back, error)) << error;
    EXPECT_EQ(back, byte);
  }
  EXPECT_EQ(defined, 251);
}

TEST(ConvertText, Windows1250WholeTextRoundTrips) {
  std::string bytes, expected;
  for (int b = 0; b < 256; ++b) {
    const uint32_t cp = Windows1250CodePoint(b);
    if (cp == 0 && b != 0) continue;
    bytes += static_cast<char>(b);
    expected += Utf8Of(cp);
  }
  std::string utf8, back, error;
  ASSERT_TRUE(ConvertText(bytes, "cp1250", "utf8", utf8, error)) << error;
  EXPECT_EQ(utf8, expected);
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

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

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
        // Encodings with characters of several bytes are decoded as a stream. Windows knows
        // none of them here, so it shows their bytes as UTF-8 would.
        DecoderCase{"SHIFT_JIS", {"a\x82\xA0\x82 b"},  // あ, then a lead byte with no trail byte
                    kWindows ? std::string("a") + kFffd + kFffd + kFffd + " b"
                             : std::string("aあ") + kFffd + " b"},
        DecoderCase{"UTF-16LE", {std::string("A\0B\x01" "C", 5)},  // ends inside a character
                    kWindows ? std::string("A\0B\x01" "C", 5) : std::string("Ał") + kFffd}));
// clang-format on

TEST(AppendUtf8CodePoint, EncodesEveryLength) {
  EXPECT_EQ(Utf8Of(0x41), "A");
  EXPECT_EQ(Utf8Of(0x105), "ą");
  EXPECT_EQ(Utf8Of(0x20AC), "€");
  EXPECT_EQ(Utf8Of(0x1F3CA), "\xF0\x9F\x8F\x8A");
}

TEST(IsAsciiCompatible, SeparatesByteOrientedEncodingsFromWideOnes) {
  for (const char* name : {"UTF-8", "Windows-1250", "ISO-8859-2", "Windows-1252", "ISO-8859-1"})
    EXPECT_TRUE(IsAsciiCompatible(name)) << name;
  for (const char* name : {"UTF-16", "UTF-16LE", "UTF-32", "no-such-encoding"})
    EXPECT_FALSE(IsAsciiCompatible(name)) << name;
}

}  // namespace
}  // namespace rostrel
