#pragma once

// A database and an entries document as producers write them: one element per line (the form
// the program reads line by line), and the same documents in the other layouts met in practice.
// Every text is written out here; the tests compare what the program makes with them.

#include <string>
#include <vector>

namespace rostrel::testing::layouts {

// The database, one element per line, indented two blanks per level.
inline const std::string kDatabase =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<LENEX version=\"3.0\">\r\n"
    "  <MEETS>\r\n"
    "    <MEET name=\"Baza\">\r\n"
    "      <CLUBS>\r\n"
    "        <!-- kopia: <CLUB name=\"Stary\"> -->\r\n"
    "        <CLUB name=\"KS Foka > Sopot\" code=\"FOKA\">\r\n"
    "          <CONTACT name=\"Jan Żak\" email=\"foka@example.pl\" />\r\n"
    "          <ATHLETES>\r\n"
    "            <ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
    "birthdate=\"2010-01-01\" gender=\"M\">\r\n"
    "              <ENTRIES>\r\n"
    "                <ENTRY eventid=\"1\" />\r\n"
    "              </ENTRIES>\r\n"
    "            </ATHLETE>\r\n"
    "            <ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
    "birthdate=\"2011-02-02\" gender=\"F\" />\r\n"
    "          </ATHLETES>\r\n"
    "        </CLUB>\r\n"
    "      </CLUBS>\r\n"
    "    </MEET>\r\n"
    "  </MEETS>\r\n"
    "</LENEX>\r\n";

// What reading keeps of it, and its athletes.
inline const std::string kDatabaseClubs =
    "      <CLUBS>\r\n"
    "        <CLUB name=\"KS Foka > Sopot\" code=\"FOKA\">\r\n"
    "          <CONTACT name=\"Jan Żak\" email=\"foka@example.pl\" />\r\n"
    "          <ATHLETES>\r\n"
    "            <ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
    "birthdate=\"2010-01-01\" gender=\"M\">\r\n"
    "            </ATHLETE>\r\n"
    "            <ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
    "birthdate=\"2011-02-02\" gender=\"F\" />\r\n"
    "          </ATHLETES>\r\n"
    "        </CLUB>\r\n"
    "      </CLUBS>\r\n";
inline const std::vector<std::string> kDatabaseAthletes = {
    "            <ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
    "birthdate=\"2010-01-01\" gender=\"M\">",
    "            <ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
    "birthdate=\"2011-02-02\" gender=\"F\" />"};

// The entries document, one element per line.
inline const std::string kEntries =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<LENEX version=\"3.0\">\r\n"
    "  <MEETS>\r\n"
    "    <MEET name=\"Zawody > 2027\" city=\"Łódź\">\r\n"
    "      <SESSIONS>\r\n"
    "        <!-- blok I: <SESSION number=\"0\"> -->\r\n"
    "        <SESSION number=\"1\">\r\n"
    "          <EVENTS>\r\n"
    "            <EVENT eventid=\"1\" number=\"1\" gender=\"M\" />\r\n"
    "          </EVENTS>\r\n"
    "        </SESSION>\r\n"
    "      </SESSIONS>\r\n"
    "      <CLUBS>\r\n"
    "        <CLUB name=\"Nazwa klubu\" />\r\n"
    "      </CLUBS>\r\n"
    "    </MEET>\r\n"
    "  </MEETS>\r\n"
    "</LENEX>\r\n";

// The entries document after the database's clubs section is pasted into it.
inline const std::string kEntriesPasted =
    kEntries.substr(0, kEntries.find("      <CLUBS>")) + kDatabaseClubs +
    kEntries.substr(kEntries.find("    </MEET>"));

// A layout of the two documents, and what the program makes of it.
struct Layout {
  const char* name;
  std::string database;
  std::string databaseClubs;  // what reading keeps
  std::vector<std::string> athletes;
  std::string entries;
  std::string pasted;  // the entries document after the paste
};

inline void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.name; }

inline const std::vector<Layout>& Layouts() {
  static const std::vector<Layout> layouts = {
      {"OneElementPerLine", kDatabase, kDatabaseClubs, kDatabaseAthletes, kEntries, kEntriesPasted},
      {"AllOnOneLineAfterTheDeclaration",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\"><MEETS><MEET name=\"Baza\"><CLUBS><!-- kopia: <CLUB "
       "name=\"Stary\"> --><CLUB name=\"KS Foka > Sopot\" code=\"FOKA\"><CONTACT name=\"Jan Żak\" "
       "email=\"foka@example.pl\" /><ATHLETES><ATHLETE athleteid=\"7\" lastname=\"Nowak\" "
       "firstname=\"Józef\" birthdate=\"2010-01-01\" gender=\"M\"><ENTRIES><ENTRY eventid=\"1\" "
       "/></ENTRIES></ATHLETE><ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
       "birthdate=\"2011-02-02\" gender=\"F\" /></ATHLETES></CLUB></CLUBS></MEET></MEETS>"
       "</LENEX>\r\n",
       kDatabaseClubs, kDatabaseAthletes,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\"><MEETS><MEET name=\"Zawody > 2027\" city=\"Łódź\"><SESSIONS><!-- "
       "blok I: <SESSION number=\"0\"> --><SESSION number=\"1\"><EVENTS><EVENT eventid=\"1\" "
       "number=\"1\" gender=\"M\" /></EVENTS></SESSION></SESSIONS><CLUBS><CLUB name=\"Nazwa "
       "klubu\" /></CLUBS></MEET></MEETS></LENEX>",
       kEntriesPasted},
      {"DeclarationAndRootOnLineOne",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><LENEX version=\"3.0\">\r\n" +
           kDatabase.substr(kDatabase.find("  <MEETS>")),
       kDatabaseClubs, kDatabaseAthletes,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><LENEX version=\"3.0\">\r\n" +
           kEntries.substr(kEntries.find("  <MEETS>")),
       kEntriesPasted},
      {"SeveralTagsOnSomeLines",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "  <MEETS><MEET name=\"Baza\">\r\n"
       "      <CLUBS>\r\n"
       "        <!-- kopia: <CLUB name=\"Stary\"> -->\r\n"
       "        <CLUB name=\"KS Foka > Sopot\" code=\"FOKA\"><CONTACT name=\"Jan Żak\" "
       "email=\"foka@example.pl\" />\r\n"
       "          <ATHLETES>\r\n"
       "            <ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
       "birthdate=\"2010-01-01\" gender=\"M\">\r\n"
       "              <ENTRIES><ENTRY eventid=\"1\" /></ENTRIES>\r\n"
       "            </ATHLETE>\r\n"
       "            <ATHLETE athleteid=\"8\" lastname=\"Kowalska\" firstname=\"Anna\" "
       "birthdate=\"2011-02-02\" gender=\"F\" />\r\n"
       "          </ATHLETES></CLUB>\r\n"
       "      </CLUBS>\r\n"
       "    </MEET></MEETS>\r\n"
       "</LENEX>\r\n",
       kDatabaseClubs, kDatabaseAthletes,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "  <MEETS>\r\n"
       "    <MEET name=\"Zawody > 2027\" city=\"Łódź\">\r\n"
       "      <SESSIONS>\r\n"
       "        <!-- blok I: <SESSION number=\"0\"> -->\r\n"
       "        <SESSION number=\"1\"><EVENTS>\r\n"
       "            <EVENT eventid=\"1\" number=\"1\" gender=\"M\" />\r\n"
       "          </EVENTS></SESSION></SESSIONS>\r\n"
       "      <CLUBS><CLUB name=\"Nazwa klubu\" /></CLUBS>\r\n"
       "    </MEET>\r\n"
       "  </MEETS>\r\n"
       "</LENEX>\r\n",
       kEntriesPasted},
      {"TabIndented",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "\t<MEETS>\r\n"
       "\t\t<MEET name=\"Baza\">\r\n"
       "\t\t\t<CLUBS>\r\n"
       "\t\t\t\t<CLUB name=\"KS Foka > Sopot\" code=\"FOKA\">\r\n"
       "\t\t\t\t\t<CONTACT name=\"Jan Żak\" email=\"foka@example.pl\" />\r\n"
       "\t\t\t\t\t<ATHLETES>\r\n"
       "\t\t\t\t\t\t<ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
       "birthdate=\"2010-01-01\" gender=\"M\">\r\n"
       "\t\t\t\t\t\t</ATHLETE>\r\n"
       "\t\t\t\t\t</ATHLETES>\r\n"
       "\t\t\t\t</CLUB>\r\n"
       "\t\t\t</CLUBS>\r\n"
       "\t\t</MEET>\r\n"
       "\t</MEETS>\r\n"
       "</LENEX>\r\n",
       "\t\t\t<CLUBS>\r\n"
       "\t\t\t\t<CLUB name=\"KS Foka > Sopot\" code=\"FOKA\">\r\n"
       "\t\t\t\t\t<CONTACT name=\"Jan Żak\" email=\"foka@example.pl\" />\r\n"
       "\t\t\t\t\t<ATHLETES>\r\n"
       "\t\t\t\t\t\t<ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
       "birthdate=\"2010-01-01\" gender=\"M\">\r\n"
       "\t\t\t\t\t\t</ATHLETE>\r\n"
       "\t\t\t\t\t</ATHLETES>\r\n"
       "\t\t\t\t</CLUB>\r\n"
       "\t\t\t</CLUBS>\r\n",
       {"\t\t\t\t\t\t<ATHLETE athleteid=\"7\" lastname=\"Nowak\" firstname=\"Józef\" "
        "birthdate=\"2010-01-01\" gender=\"M\">"},
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "\t<MEETS>\r\n"
       "\t\t<MEET name=\"Zawody > 2027\" city=\"Łódź\">\r\n"
       "\t\t\t<SESSIONS>\r\n"
       "\t\t\t\t<SESSION number=\"1\" />\r\n"
       "\t\t\t</SESSIONS>\r\n"
       "\t\t\t<CLUBS>\r\n"
       "\t\t\t</CLUBS>\r\n"
       "\t\t</MEET>\r\n"
       "\t</MEETS>\r\n"
       "</LENEX>\r\n",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "\t<MEETS>\r\n"
       "\t\t<MEET name=\"Zawody > 2027\" city=\"Łódź\">\r\n"
       "\t\t\t<SESSIONS>\r\n"
       "\t\t\t\t<SESSION number=\"1\" />\r\n"
       "\t\t\t</SESSIONS>\r\n" +
           kDatabaseClubs +
           "\t\t</MEET>\r\n"
           "\t</MEETS>\r\n"
           "</LENEX>\r\n"},
      {"AngleBracketInAValueAndTagsInAComment",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "  <MEETS>\r\n"
       "    <MEET name=\"Baza\">\r\n"
       "      <CLUBS><!-- kopia: <CLUB name=\"Stary\"> --><CLUB name=\"KS Foka > Sopot\" "
       "code=\"FOKA\">\r\n" +
           kDatabase.substr(kDatabase.find("          <CONTACT")),
       kDatabaseClubs, kDatabaseAthletes,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
       "<LENEX version=\"3.0\">\r\n"
       "  <MEETS>\r\n"
       "    <MEET name=\"Zawody > 2027\" city=\"Łódź\"><SESSIONS><!-- blok I: <SESSION "
       "number=\"0\"> -->\r\n" +
           kEntries.substr(kEntries.find("        <SESSION number=\"1\">")),
       kEntriesPasted},
      {"AthleteStartTagOverThreeLines",
       kDatabase.substr(0, kDatabase.find("            <ATHLETE athleteid=\"7\"")) +
           "            <ATHLETE athleteid=\"7\"\r\n"
           "                lastname=\"Nowak\" firstname=\"Józef\"\r\n"
           "                birthdate=\"2010-01-01\" gender=\"M\">\r\n" +
           kDatabase.substr(kDatabase.find("              <ENTRIES>")),
       kDatabaseClubs, kDatabaseAthletes,
       kEntries.substr(0, kEntries.find("            <EVENT ")) +
           "            <EVENT eventid=\"1\"\r\n"
           "              number=\"1\"\r\n"
           "              gender=\"M\" />\r\n" +
           kEntries.substr(kEntries.find("          </EVENTS>")),
       kEntriesPasted},
  };
  return layouts;
}

}  // namespace rostrel::testing::layouts
