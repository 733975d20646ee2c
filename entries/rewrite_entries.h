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
    Rewritten,       // text holds the new document
    VersionFailure,  // the user has been told
    Refused,         // the document cannot be rewritten safely; the user has been told
    Failed,          // the document could not be read; the user has been told
  };
  Kind kind = Failed;
  std::string text;
};

// Builds the new entries document: the XML declaration for the entries document's encoding, its
// lines up to its first "</SESSIONS>", the database's clubs section (converted into the entries
// document's encoding when the two differ), and its lines from the next "</MEET>" on. A
// document not written one element per line is laid out so first. Whatever the line rules miss,
// the entries document's own lines that are kept must balance and nest (the clubs section is
// checked as the database is read), and no quoted value may run on: the refusals name the
// entries file `entriesFile` and the line of its own LEF document. The document file is only
// read: removing it is the paste's, which knows it for the file it unpacked.
Rewrite RewriteEntries(Prompter& prompter, const std::string& entriesFile,
                       const std::string& documentPath, const std::string& clubsText,
                       const std::string& clubsEncoding);

// The same over a document already in memory; touches no file.
Rewrite RewriteEntriesText(Prompter& prompter, const std::string& entriesFile,
                           std::string_view document, const std::string& clubsText,
                           const std::string& clubsEncoding);

}  // namespace rostrel
