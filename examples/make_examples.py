#!/usr/bin/env python3
"""Writes the sample LXF files beside this script: an athlete database and a meet's entries
file, each in Windows-1250 and in UTF-8. The archives carry fixed timestamps, so running the
script again gives the same bytes."""

import io
import pathlib
import zipfile

DATABASE = """\
<?xml version="1.0" encoding="{encoding}"?>
<LENEX version="3.0">
  <CONSTRUCTOR name="Rostrel - pliki przykładowe" registration="Rostrel" version="3.01">
    <CONTACT name="Rostrel" email="kontakt@rostrel.pl" />
  </CONSTRUCTOR>
  <MEETS>
    <MEET name="Baza zawodników" city="Łódź" nation="POL">
      <SESSIONS>
      </SESSIONS>
      <CLUBS>
        <CLUB name="UKS Delfin Łódź" shortname="Delfin Łódź" code="DELFIN" nation="POL" type="CLUB">
          <CONTACT name="Zofia Żółkiewska" street="ul. Piotrkowska 104, lok. 5" zip="90-001" city="Łódź" email="delfin@example.pl" />
          <ATHLETES>
            <ATHLETE athleteid="101" lastname="Żółkiewska" firstname="Zofia" birthdate="2009-03-14" gender="F" license="100101">
              <ENTRIES>
                <ENTRY eventid="1" entrytime="00:01:04.80" />
                <ENTRY eventid="3" entrytime="00:02:38.15" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE lastname="Świątek" firstname="Łukasz" athleteid="102" gender="M" birthdate="2008-11-02" license="">
              <ENTRIES>
                <ENTRY eventid="2" entrytime="00:00:59.31" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE birthdate="2008-07-21" gender="M" license="100103" firstname="Grzegorz" lastname="Brzęczyszczykiewicz" athleteid="103">
              <ENTRIES>
                <ENTRY eventid="4" entrytime="00:02:21.09" />
                <ENTRY eventid="6" entrytime="00:01:07.44" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE athleteid="104" lastname.en="Sliwinska" lastname="Śliwińska" firstname="Ewa" gender="F" birthdate="2009-09-05" license="100104">
              <ENTRIES>
                <ENTRY eventid="5" entrytime="00:01:12.70" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE athleteid="105" gender="F" lastname="Kowalczyk" firstname="Małgorzata &quot;Gosia&quot;" birthdate="2010-02-28" license="100105">
              <ENTRIES>
                <ENTRY eventid="1" entrytime="00:01:09.02" />
                <ENTRY eventid="5" entrytime="00:01:15.66" />
              </ENTRIES>
            </ATHLETE>
          </ATHLETES>
        </CLUB>
        <CLUB name="MKS Żak Gdańsk" shortname="Żak Gdańsk" code="ZAK" nation="POL" type="CLUB">
          <CONTACT name="Sekretariat MKS Żak &amp; Rada Rodziców" city="Gdańsk" zip="80-001" email="zak@example.pl" />
          <ATHLETES>
            <ATHLETE athleteid="201" lastname="Kędzierski" firstname="Mściwój" birthdate="2010-06-30" gender="M" license="200201">
              <ENTRIES>
                <ENTRY eventid="2" entrytime="00:01:02.18" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE firstname="Jadwiga" lastname="Wróblewska" birthdate="2011-01-09" athleteid="202" gender="F" license="200202">
              <ENTRIES>
                <ENTRY eventid="3" entrytime="00:02:49.90" />
                <ENTRY eventid="5" entrytime="00:01:19.25" />
              </ENTRIES>
            </ATHLETE>
            <ATHLETE athleteid="203" license="200203" gender="M" birthdate="2007-12-24" firstname="Ścibor" lastname="Łęcki">
              <ENTRIES>
                <ENTRY eventid="6" entrytime="00:01:01.37" />
              </ENTRIES>
            </ATHLETE>
          </ATHLETES>
        </CLUB>
      </CLUBS>
    </MEET>
  </MEETS>
</LENEX>
"""

ENTRIES = """\
<?xml version="1.0" encoding="{encoding}"?>
<LENEX version="3.0">
  <CONSTRUCTOR name="Rostrel - pliki przykładowe" registration="Rostrel" version="3.01">
    <CONTACT name="Rostrel" email="kontakt@rostrel.pl" />
  </CONSTRUCTOR>
  <MEETS>
    <MEET name="Zimowe Zawody Pływackie o Puchar Łodzi" city="Łódź" nation="POL" course="LCM" deadline="2027-01-15" timing="AUTOMATIC">
      <POOL name="Pływalnia Wodny Świat" lanemin="1" lanemax="8" />
      <SESSIONS>
        <SESSION number="1" date="2027-01-23" daytime="09:00" name="Blok I - sobota rano">
          <EVENTS>
            <EVENT eventid="1" number="1" gender="F" round="TIM">
              <SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />
            </EVENT>
            <EVENT eventid="2" number="2" gender="M" round="TIM">
              <SWIMSTYLE distance="100" relaycount="1" stroke="FREE" />
            </EVENT>
            <EVENT eventid="3" number="3" gender="F" round="TIM">
              <SWIMSTYLE distance="200" relaycount="1" stroke="MEDLEY" />
            </EVENT>
            <EVENT eventid="4" number="4" gender="M" round="TIM">
              <SWIMSTYLE distance="200" relaycount="1" stroke="MEDLEY" />
            </EVENT>
          </EVENTS>
        </SESSION>
        <SESSION number="2" date="2027-01-23" daytime="15:30" name="Blok II - sobota po południu">
          <EVENTS>
            <EVENT eventid="5" number="5" gender="F" round="TIM">
              <SWIMSTYLE distance="100" relaycount="1" stroke="BACK" />
            </EVENT>
            <EVENT eventid="6" number="6" gender="M" round="TIM">
              <SWIMSTYLE distance="100" relaycount="1" stroke="BACK" />
            </EVENT>
          </EVENTS>
        </SESSION>
      </SESSIONS>
      <CLUBS>
        <CLUB name="Nazwa klubu" nation="POL" type="CLUB">
          <ATHLETES>
            <ATHLETE athleteid="1" lastname="Nazwisko" firstname="Imię" birthdate="2000-01-01" gender="M" />
          </ATHLETES>
        </CLUB>
      </CLUBS>
    </MEET>
  </MEETS>
</LENEX>
"""

ENCODINGS = {"cp1250": ("Windows-1250", "cp1250"), "utf8": ("UTF-8", "utf-8")}
STAMP = (2026, 12, 1, 12, 0, 0)


def lxf(member, text, declared, codec):
    """One ZIP archive holding `text` as `member`, with CR LF line ends."""
    document = text.format(encoding=declared).replace("\n", "\r\n").encode(codec)
    info = zipfile.ZipInfo(member, date_time=STAMP)
    info.compress_type = zipfile.ZIP_DEFLATED
    info.create_system = 3  # Unix, so that the mode below means the same on every machine
    info.external_attr = 0o100644 << 16
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        archive.writestr(info, document, compresslevel=6)
    return buffer.getvalue()


def main():
    here = pathlib.Path(__file__).resolve().parent
    for suffix, (declared, codec) in ENCODINGS.items():
        (here / f"baza-{suffix}.lxf").write_bytes(lxf("baza.lef", DATABASE, declared, codec))
        (here / f"zgloszenie-{suffix}.lxf").write_bytes(
            lxf("zawody.lef", ENTRIES, declared, codec))


if __name__ == "__main__":
    main()
