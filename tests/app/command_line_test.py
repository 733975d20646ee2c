#!/usr/bin/env python3
"""Runs the built program with each kind of command line and checks what it prints and returns.

    command_line_test.py PROGRAM                          (Linux)
    command_line_test.py PROGRAM WINE WINDOW_SHOWN_EXE    (the Windows program under Wine)

On Linux the usage and the version need no display at all; the rest runs on Qt's offscreen
platform. On Windows a program with windows has no console, and Qt shows the same texts in a
message box instead: under Wine the test reads the box's text with WINDOW_SHOWN_EXE, which also
presses its button.
"""
import os
import subprocess
import sys
import tempfile
import unittest

PROGRAM = sys.argv[1]
WINE = sys.argv[2:]  # [wine, window_shown.exe] or []

USAGE = (
    "Sposób użycia: {program} [opcje]\n"
    "Wkleja zawodników z bazy klubu do pliku zgłoszenia LXF.\n"
    "Bez opcji otwiera okno programu.\n"
    "\n"
    "Opcje:\n"
    "  -h, --help     Wyświetla ten opis użycia.\n"
    "  -v, --version  Wyświetla numer wersji programu.\n"
)

# (arguments, whether they need a display on Linux, exit status, standard output, standard error)
CASES = [
    (["--version"], False, 0, "Rostrel 3.01\n", ""),
    (["-v"], False, 0, "Rostrel 3.01\n", ""),
    (["--help"], False, 0, USAGE, ""),
    (["-h"], False, 0, USAGE, ""),
    (["-style", "fusion", "--version"], True, 0, "Rostrel 3.01\n", ""),  # Qt's own option
    (["--bogus"], True, 1, "", 'Rostrel: Nieznana opcja "bogus".\n'),
    (["--version", "-x"], True, 1, "", 'Rostrel: Nieznana opcja "x".\n'),
]


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.runtime = tempfile.TemporaryDirectory()
        # A runtime folder of its own, so that Qt has nothing to warn about; no display at all, or
        # the offscreen platform.
        self.headless = {k: v for k, v in os.environ.items()
                         if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.headless["XDG_RUNTIME_DIR"] = self.runtime.name
        self.env = dict(self.headless, QT_QPA_PLATFORM="offscreen")

    def tearDown(self):
        self.runtime.cleanup()

    @unittest.skipIf(WINE, "under Wine the texts come in a message box: see the next test")
    def test_options_print_and_end_the_run(self):
        for args, display, status, out, err in CASES:
            with self.subTest(args=args):
                run = subprocess.run([PROGRAM] + args, capture_output=True, text=True,
                                     env=self.env if display else self.headless, timeout=30)
                self.assertEqual(run.stdout, out.format(program=PROGRAM))
                self.assertEqual(run.stderr, err)
                self.assertEqual(run.returncode, status)

    @unittest.skipIf(WINE, "the installer check of scripts/windows.sh sees the start window")
    def test_no_arguments_start_the_program(self):
        program = subprocess.Popen([PROGRAM], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   text=True, env=self.env)
        try:
            # The start window waits for the user, so the program must still run.
            with self.assertRaises(subprocess.TimeoutExpired):
                program.wait(timeout=3)
        finally:
            program.kill()
            program.communicate()

    @unittest.skipUnless(WINE, "on Linux the texts go to the standard streams")
    def test_options_show_their_texts_in_a_message_box_under_wine(self):
        wine, window_shown = WINE
        for args, _, status, out, err in CASES:
            with self.subTest(args=args):
                program = subprocess.Popen([wine, PROGRAM] + args, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
                try:
                    box = subprocess.run([wine, window_shown, "Rostrel", "60", "--press"],
                                         capture_output=True, text=True, timeout=90)
                    self.assertEqual(program.wait(timeout=60), status)
                finally:
                    program.kill()
                    program.wait()
                # The usage names the program as Windows sees it, on Wine's drive Z:.
                text = (out or err).format(program="Z:" + PROGRAM.replace("/", "\\"))
                title, shown = box.stdout.split("\n", 1)
                self.assertTrue(title.startswith('shown: "Rostrel", '), title)
                self.assertEqual(shown, "text: " + text + "\n")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
