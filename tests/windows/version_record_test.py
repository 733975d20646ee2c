#!/usr/bin/env python3
"""Reads the version record, the icon and the manifest back from a built Rostrel.exe.

    version_record_test.py ROSTREL_EXE ICON_FILE

ICON_FILE is app/icons/rostrel.ico, whose picture the executable must carry byte for byte.
Needs Debian's python3-pefile.
"""
import struct
import sys
import unittest
import xml.etree.ElementTree as ElementTree

import pefile

EXE, ICON_FILE = sys.argv[1], sys.argv[2]
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24


def load():
    return pefile.PE(EXE)  # a full parse reads the resources and the version record


def resources(pe, kind):
    """The data of every resource of one kind, by id: {id: bytes}."""
    found = {}
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id != kind:
            continue
        for item in entry.directory.entries:
            for language in item.directory.entries:
                data = language.data.struct
                found[item.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


class VersionRecord(unittest.TestCase):
    def setUp(self):
        self.pe = load()

    def test_strings_in_us_english_with_the_unicode_code_page(self):
        tables = [table for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo"
                  for table in info.StringTable]
        self.assertEqual([table.LangID for table in tables], [b"040904B0"])
        strings = {key.decode(): value.decode() for key, value in tables[0].entries.items()}
        self.assertEqual(strings, {
            "FileDescription": "Rostrel",
            "FileVersion": "3.01",
            "InternalName": "Rostrel",
            "OriginalFilename": "Rostrel.exe",
            "ProductName": "Rostrel",
            "ProductVersion": "3.01",
        })

    def test_translation(self):
        translations = [var.entry for info in self.pe.FileInfo[0] if info.Key == b"VarFileInfo"
                        for var in info.Var]
        self.assertEqual(translations, [{b"Translation": "0x0409 0x04b0"}])

    def test_fixed_version_is_3_1_0_0(self):
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual((fixed.FileVersionMS, fixed.FileVersionLS), (0x00030001, 0x00000000))
        self.assertEqual((fixed.ProductVersionMS, fixed.ProductVersionLS),
                         (0x00030001, 0x00000000))


class Icon(unittest.TestCase):
    def test_one_icon_of_32_by_32_pixels_in_256_colours_as_drawn(self):
        pe = load()
        groups = resources(pe, RT_GROUP_ICON)
        self.assertEqual(len(groups), 1)
        group = list(groups.values())[0]
        self.assertEqual(struct.unpack("<HHH", group[:6]), (0, 1, 1))
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack(
            "<BBBBHHIH", group[6:20])
        self.assertEqual((width, height, colours, planes, bits, size), (32, 32, 0, 1, 8, 2216))
        with open(ICON_FILE, "rb") as f:
            drawn = f.read()
        self.assertEqual(resources(pe, RT_ICON)[icon_id], drawn[22:22 + 2216])


class Manifest(unittest.TestCase):
    """The one manifest Windows reads as the program starts (id 1), with longPathAware set."""

    def test_long_paths_for_windows_10_and_11(self):
        manifests = resources(load(), RT_MANIFEST)
        self.assertEqual(list(manifests), [1])
        root = ElementTree.fromstring(manifests[1])  # a manifest that is no XML stops the start
        self.assertEqual(root.tag, "{urn:schemas-microsoft-com:asm.v1}assembly")
        aware = root.findall("{urn:schemas-microsoft-com:asm.v3}application/"
                             "{urn:schemas-microsoft-com:asm.v3}windowsSettings/"
                             "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}longPathAware")
        self.assertEqual([element.text for element in aware], ["true"])
        systems = root.findall("{urn:schemas-microsoft-com:compatibility.v1}compatibility/"
                               "{urn:schemas-microsoft-com:compatibility.v1}application/"
                               "{urn:schemas-microsoft-com:compatibility.v1}supportedOS")
        self.assertEqual([element.get("Id") for element in systems],
                         ["{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"])
        # Nothing else: no DPI awareness, no code page, no other setting changes behaviour.
        settings = root.findall(".//{urn:schemas-microsoft-com:asm.v3}windowsSettings/*")
        self.assertEqual(len(settings), 1)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
