#pragma once

#include <string>
#include <string_view>

#include "common/lef_layout.h"
#include "common/tag_balance.h"
#include "common/text.h"

// The rules of a LEF document that reading a database and rewriting an entries file share: its
// first line and the declaration there, its version, and how a line is recognised.
namespace rostrel {

// Shown, followed by the instructions address and a blank, when a document names neither
// LENEX 2.0 nor 3.0.
inline constexpr const char* kWrongVersionMessage =
    "Otwierany plik jest w niewłaściwej wersji. Aby rozwiązać problem, zajrzyj do instrukcji ";

std::string WrongVersionText();  // kWrongVersionMessage + kInstructionsUrl + " "

// The version test, a plain substring test on the line that carries the version. LENEX 2.0 and
// 3.0 are handled alike, anything else is refused.
bool NamesLenexVersion(std::string_view line);

// True when `line`, the line `layout` is emitting, holds the root element's start tag and fails
// the version test. The root's line is the one tested in every document, wherever it stands:
// line 2 of one written one element per line, after a comment or a DOCTYPE, or in one laid out
// anew. A document without a root element gets no version test.
bool FailsVersionTest(const LefLayout& layout, std::string_view line);

// A line is recognised by its text without the blanks and tabs around it: a document indented
// with tabs reads as one indented with blanks.
inline std::string_view Recognised(std::string_view line) { return TrimBlanksAndTabs(line); }

// The encoding a document's first line declares: "UTF-8" after a UTF-8 byte-order mark, the
// name in encoding="..." (or '...') otherwise, canonicalised so that letter case and common
// aliases (utf8, cp1250, latin2, ...) do not matter, and "UTF-8" when the line declares none.
std::string DeclaredEncoding(std::string_view firstLine);

// True when the line holds one "<?xml ...?>" declaration and nothing else (an optional byte-order
// mark and blanks aside).
bool IsXmlDeclaration(std::string_view line);

// True when the line holds the start of an XML declaration, "<?xml" and a blank, anywhere.
bool HoldsXmlDeclaration(std::string_view line);

// True when line 1 holds nothing but an optional byte-order mark and one "<?xml ...?>"
// declaration, or nothing at all: what rewriting may replace without losing anything.
bool FirstLineIsOnlyDeclaration(std::string_view line);

// Which of the two files a LEF document came from, for the messages that name it.
enum class LefFile { Database, Entries };

// What the user can do about an entries document the program cannot take.
inline constexpr const char* kSaveEntriesAgain =
    "Zapisz ten plik ponownie w programie, w którym go utworzono, albo poproś organizatora "
    "zawodów o nowy plik zgłoszenia.";

// The refusal of a document whose tags do not balance, or whose quoted value runs on: names the
// file, says where by the lines of the file's own LEF document, and what to do.
std::string DamagedDocumentText(LefFile file, const std::string& path, const TagBalance& finding);

// An encoding name as XML allows it: a letter, then letters, digits, '.', '_' and '-'.
bool IsEncodingName(std::string_view name);

// The declaration a rewritten document starts with: version 1.0 and the given encoding.
std::string XmlDeclaration(std::string_view encoding);

}  // namespace rostrel
