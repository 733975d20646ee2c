#!/usr/bin/env python3
"""Generates the benchmark's LENEX 3.0 files.

For each athlete count N and each encoding it writes, under OUT/N/ENC/:
  baza.lxf          an athlete database: N athletes in clubs of about 50, each athlete with a
                    few entries, attributes in varying order, Polish letters in the names;
  zgloszenie.lxf    a meet's entries file: 4 sessions, 40 events and an old clubs section;
  lef/baza.lef, lef/zawody.lef
                    the same documents unpacked, for the floors (plain reads, Info-ZIP).

Documents are written one element per line with CR LF, in Windows-1250 (ENC = cp1250) or
UTF-8 (ENC = utf8), and packed with deflate at zlib's default level 6, as libzip and Info-ZIP
pack by default. The output is the same on every run (fixed seed, fixed time stamps).

usage: generate.py OUT [N ...]        (default N: 100 10000 100000)
"""

import os
import random
import sys
import time
import zipfile

ENCODINGS = {"cp1250": "Windows-1250", "utf8": "UTF-8"}

LASTNAMES = [
    "Nowak", "Kowalski", "Wiśniewski", "Wójcik", "Kowalczyk", "Kamiński", "Lewandowski",
    "Zieliński", "Szymański", "Woźniak", "Dąbrowski", "Kozłowski", "Jankowski", "Mazur",
    "Wojciechowski", "Kwiatkowski", "Krawczyk", "Kaczmarek", "Piotrowski", "Grabowski",
    "Zając", "Pawłowski", "Michalski", "Król", "Wieczorek", "Jabłoński", "Wróbel", "Nowakowski",
    "Majewski", "Olszewski", "Stępień", "Malinowski", "Jaworski", "Adamczyk", "Dudek",
    "Nowicki", "Pawlak", "Górski", "Witkowski", "Walczak", "Sikora", "Baran", "Rutkowski",
    "Michalak", "Szewczyk", "Ostrowski", "Tomaszewski", "Pietrzak", "Marciniak", "Wróblewski",
    "Zalewski", "Jakubowski", "Jasiński", "Zawadzki", "Sadowski", "Bąk", "Chmielewski",
    "Włodarczyk", "Borkowski", "Czarnecki", "Sawicki", "Sokołowski", "Urbański", "Kubiak",
    "Maciejewski", "Szczepański", "Kucharski", "Wilk", "Kalinowski", "Lis", "Mazurek",
    "Wysocki", "Adamski", "Kaźmierczak", "Wasilewski", "Sobczak", "Czerwiński", "Andrzejewski",
    "Cieślak", "Głowacki", "Zakrzewski", "Kołodziej", "Sikorski", "Krajewski", "Gajewski",
    "Szymczak", "Szulc", "Baranowski", "Laskowski", "Brzeziński", "Makowski", "Ziółkowski",
    "Przybylski", "Żółkiewski", "Śliwiński", "Łęcki", "Źrebiec", "Ćwikła", "Gołąb-Nowak",
    "Mróz", "O&apos;Neill",
]
FIRSTNAMES_F = [
    "Anna", "Maria", "Katarzyna", "Małgorzata", "Agnieszka", "Barbara", "Ewa", "Krystyna",
    "Elżbieta", "Zofia", "Joanna", "Magdalena", "Monika", "Łucja", "Żaneta", "Jadwiga",
    "Urszula", "Beata", "Dorota", "Halina", "Jolanta", "Aleksandra", "Natalia", "Wiktoria",
    "Zuzanna", "Maja", "Lena", "Julia", "Oliwia", "Gabriela",
]
FIRSTNAMES_M = [
    "Piotr", "Krzysztof", "Andrzej", "Tomasz", "Paweł", "Michał", "Marcin", "Łukasz",
    "Grzegorz", "Józef", "Jan", "Stanisław", "Mateusz", "Wojciech", "Dariusz", "Maciej",
    "Sławomir", "Bartłomiej", "Zbigniew", "Mikołaj", "Jakub", "Kacper", "Szymon", "Filip",
    "Antoni", "Franciszek", "Wiktor", "Przemysław", "Radosław", "Jędrzej",
]
CITIES = [
    "Kraków", "Łódź", "Wrocław", "Poznań", "Gdańsk", "Szczecin", "Bydgoszcz", "Lublin",
    "Białystok", "Katowice", "Gdynia", "Częstochowa", "Radom", "Toruń", "Sosnowiec", "Kielce",
    "Rzeszów", "Gliwice", "Zabrze", "Olsztyn", "Bielsko-Biała", "Bytom", "Zielona Góra",
    "Rybnik", "Ruda Śląska", "Opole", "Tychy", "Gorzów Wielkopolski", "Elbląg", "Płock",
]
CLUB_KINDS = ["UKS", "MKS", "KS", "AZS", "MUKS", "KSz"]
CLUB_NAMES = ["Delfin", "Wodnik", "Fala", "Rekin", "Orka", "Płetwa", "Żagiel", "Śródmieście",
              "Ósemka", "Górnik", "Juvenia", "Olimpia", "Start", "Polonia", "Wisła"]
STROKES = ["FREE", "BACK", "BREAST", "FLY", "MEDLEY"]
DISTANCES = [50, 100, 200, 400, 800, 1500]


def athlete_attrs(rng, athleteid, license_no):
    gender = rng.choice("FM")
    first = rng.choice(FIRSTNAMES_F if gender == "F" else FIRSTNAMES_M)
    last = rng.choice(LASTNAMES)
    if gender == "F" and last.endswith("ski"):
        last = last[:-1] + "a"
    birth = f"{rng.randint(1950, 2016)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}"
    attrs = [
        ("athleteid", str(athleteid)),
        ("lastname", last),
        ("firstname", first),
        ("birthdate", birth),
        ("gender", gender),
        ("license", f"{license_no:06d}"),
    ]
    # Real exports differ in attribute order; some also carry the transliterated names, whose
    # attribute names begin with the real ones.
    rng.shuffle(attrs)
    if rng.random() < 0.2:
        attrs.insert(rng.randint(0, len(attrs)), ("lastname.en", last.upper()))
    if rng.random() < 0.1:
        attrs.insert(rng.randint(0, len(attrs)), ("nation", "POL"))
    return " ".join(f'{k}="{v}"' for k, v in attrs)


def database_lines(n, encoding_name, seed=2026):
    rng = random.Random(seed)
    out = [
        f'<?xml version="1.0" encoding="{encoding_name}"?>',
        '<LENEX version="3.0">',
        '  <CONSTRUCTOR name="Rostrel bench" registration="Rostrel" version="1.0">',
        '    <CONTACT name="Związek Pływacki" email="biuro@example.pl" />',
        '  </CONSTRUCTOR>',
        '  <MEETS>',
        '    <MEET name="Baza zawodników" city="Warszawa" nation="POL" course="LCM">',
        '      <SESSIONS>',
        '      </SESSIONS>',
        '      <CLUBS>',
    ]
    append = out.append
    athleteid = 0
    club = 0
    while athleteid < n:
        club += 1
        size = min(n - athleteid, rng.randint(40, 60))
        city = rng.choice(CITIES)
        name = f"{rng.choice(CLUB_KINDS)} {rng.choice(CLUB_NAMES)} {city}"
        if club % 7 == 0:
            name = f"{name} &quot;Junior&quot;, sekcja {club}"
        append(f'        <CLUB type="CLUB" code="K{club:05d}" nation="POL" name="{name}">')
        append(f'          <CONTACT city="{city}" email="klub{club}@example.pl" '
               f'name="Trener {rng.choice(LASTNAMES)}" street="ul. Łąkowa {club}" />')
        append('          <ATHLETES>')
        for _ in range(size):
            athleteid += 1
            append(f'            <ATHLETE {athlete_attrs(rng, athleteid, 100000 + athleteid)}>')
            append('              <ENTRIES>')
            for _ in range(rng.randint(1, 3)):
                append(f'                <ENTRY eventid="{rng.randint(1, 40)}" '
                       f'entrytime="00:{rng.randint(0, 9):02d}:{rng.randint(0, 59):02d}.'
                       f'{rng.randint(0, 99):02d}" />')
            append('              </ENTRIES>')
            append('            </ATHLETE>')
        append('          </ATHLETES>')
        append('        </CLUB>')
    out += [
        '      </CLUBS>',
        '    </MEET>',
        '  </MEETS>',
        '</LENEX>',
    ]
    return out


def entries_lines(encoding_name, seed=7):
    rng = random.Random(seed)
    out = [
        f'<?xml version="1.0" encoding="{encoding_name}"?>',
        '<LENEX version="3.0">',
        '  <CONSTRUCTOR name="Organizator" registration="Rostrel" version="1.0">',
        '    <CONTACT name="Okręgowy Związek Pływacki" email="zawody@example.pl" />',
        '  </CONSTRUCTOR>',
        '  <MEETS>',
        '    <MEET name="Mistrzostwa Województwa Łódzkiego" city="Łódź" nation="POL" '
        'course="LCM" deadline="2026-12-01">',
        '      <POOL lanemin="1" lanemax="8" />',
        '      <FACILITY city="Łódź" name="Pływalnia Wodny Raj" nation="POL" />',
        '      <AGEDATE value="2026-12-31" type="YEAR" />',
        '      <POINTTABLE pointtableid="3015" name="FINA Point Scoring" version="2026" />',
        '      <SESSIONS>',
    ]
    event = 0
    for session in range(1, 5):
        out.append(f'        <SESSION number="{session}" date="2026-12-{11 + session:02d}" '
                   f'daytime="{9 if session % 2 else 16}:00" warmupfrom="08:00">')
        out.append('          <EVENTS>')
        for _ in range(10):
            event += 1
            out.append(f'            <EVENT eventid="{event}" number="{event}" '
                       f'gender="{"FM"[event % 2]}" round="TIM" order="{event}">')
            out.append(f'              <SWIMSTYLE distance="{rng.choice(DISTANCES)}" '
                       f'relaycount="1" stroke="{rng.choice(STROKES)}" />')
            out.append('              <AGEGROUPS>')
            for group in range(1, 4):
                out.append(f'                <AGEGROUP agegroupid="{event * 10 + group}" '
                           f'agemin="{8 + 2 * group}" agemax="{9 + 2 * group}" />')
            out.append('              </AGEGROUPS>')
            out.append('            </EVENT>')
        out.append('          </EVENTS>')
        out.append('        </SESSION>')
    out.append('      </SESSIONS>')
    # The old clubs section that a paste replaces.
    out.append('      <CLUBS>')
    for club in range(1, 4):
        out.append(f'        <CLUB type="CLUB" code="STARY{club}" nation="POL" '
                   f'name="Stary klub {club}">')
        out.append('          <ATHLETES>')
        for a in range(1, 6):
            out.append(f'            <ATHLETE athleteid="{club * 100 + a}" lastname="Stary" '
                       f'firstname="Zawodnik {a}" birthdate="2010-01-0{a}" gender="M">')
            out.append('            </ATHLETE>')
        out.append('          </ATHLETES>')
        out.append('        </CLUB>')
    out.append('      </CLUBS>')
    out += ['    </MEET>', '  </MEETS>', '</LENEX>']
    return out


def write_document(lines, encoding, lef_path):
    data = ("\r\n".join(lines) + "\r\n").encode(encoding)
    with open(lef_path, "wb") as f:
        f.write(data)
    return data


def pack(data, member, lxf_path):
    info = zipfile.ZipInfo(member, date_time=(2026, 12, 1, 12, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    with zipfile.ZipFile(lxf_path, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        z.writestr(info, data)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[1]
    counts = [int(a) for a in argv[2:]] or [100, 10000, 100000]
    for n in counts:
        for tag, encoding_name in ENCODINGS.items():
            started = time.perf_counter()
            folder = os.path.join(out, str(n), tag)
            os.makedirs(os.path.join(folder, "lef"), exist_ok=True)
            codec = "cp1250" if tag == "cp1250" else "utf-8"
            db = write_document(database_lines(n, encoding_name), codec,
                                os.path.join(folder, "lef", "baza.lef"))
            pack(db, "baza.lef", os.path.join(folder, "baza.lxf"))
            entries = write_document(entries_lines(encoding_name), codec,
                                     os.path.join(folder, "lef", "zawody.lef"))
            pack(entries, "zawody.lef", os.path.join(folder, "zgloszenie.lxf"))
            print(f"N={n:>6} {tag:6}: database {len(db):>10,} B, entries {len(entries):>7,} B "
                  f"({time.perf_counter() - started:.2f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
