#pragma once

#include <string>
#include <string_view>

namespace rostrel {

class Prompter;

// Ends every refusal of the paste that leaves the entries file as it was.
inline constexpr const char* kUnchangedMessage =
    "Operacja anulowana, plik zgłoszenia nie został zmieniony.";

struct Rewrite {
  enum Kind {
    Rewritten,       // text holds the new document; the document file is left as it was
    VersionFailure,  // the user has been told; the document file has been deleted
    Refused,         // the document cannot be rewritten safely; the user has been told
    Failed,          // the document could not be read; the user has been told
  };
  Kind kind = Failed;
  std::string text;
};

// Whatever the line rules missed, a document whose tags do not balance and nest is never
// written: false, after telling the user the first tag that does not and its line.
bool CheckRewritten(Prompter& prompter, std::string_view text);

// Builds the new entries document: the XML declaration for the entries document's encoding, its
// lines up to its first "</SESSIONS>", the database's clubs section (converted into the entries
// document's encoding when the two differ), and its lines from the next "</MEET>" on. A
// document not written one element per line is laid out so first. The new document must pass
// CheckRewritten.
Rewrite RewriteEntries(Prompter& prompter, const std::string& documentPath,
                       const std::string& clubsText, const std::string& clubsEncoding);

// The same over a document already in memory, without CheckRewritten; touches no file.
Rewrite RewriteEntriesText(Prompter& prompter, std::string_view document,
                           const std::string& clubsText, const std::string& clubsEncoding);

}  // namespace rostrel
