"""The PE check on made-up files: each fault it exists to catch must fail it, with the exit code
that the release checks rely on."""
import contextlib
import io
import os
import pathlib
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
import check_pe  # noqa: E402  (found through the path above)


def pe_image(machine=0x014C, magic=0x010B, characteristics=0x0102, subsystem=2, stamp=0):
    """The headers of a PE file without sections, with all sixteen data directories empty."""
    directories = 96 if magic == 0x010B else 112
    optional_size = directories + 8 * 16
    data = bytearray(0x40 + 24 + optional_size)
    data[:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, 0x40)
    struct.pack_into("<4sHHIIIHH", data, 0x40, b"PE\0\0", machine, 0, stamp, 0, 0, optional_size,
                     characteristics)
    struct.pack_into("<H", data, 0x58, magic)
    struct.pack_into("<H", data, 0x58 + 68, subsystem)
    struct.pack_into("<I", data, 0x58 + directories - 4, 16)
    return bytes(data)


class CheckPe(unittest.TestCase):
    def run_check(self, *arguments):
        """Exit code and standard output of the check, files given as their bytes."""
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for i, argument in enumerate(arguments):
                if isinstance(argument, bytes):
                    paths.append(os.path.join(folder, "%d.exe" % i))
                    pathlib.Path(paths[-1]).write_bytes(argument)
                else:
                    paths.append(argument)
            out, err = io.StringIO(), io.StringIO()
            with contextlib.redirect_stdout(out), contextlib.redirect_stderr(err):
                code = check_pe.main(paths)
        return code, out.getvalue().replace(folder, "DIR")

    def test_usage_errors_exit_2(self):
        for arguments in ([], ["--same", "a"], ["-x"], ["a", "arm"], ["a", "i386", "b"]):
            with self.subTest(arguments=arguments):
                self.assertEqual(self.run_check(*arguments)[0], 2)

    def test_faults_fail_with_what_they_are(self):
        cases = [
            (b"not a program", "i386", "FAIL: malformed PE file: no MZ header"),
            (pe_image()[:0x50], "i386", "FAIL: malformed PE file: read of 20 bytes at 0x44"),
            (pe_image(), "x86-64", "FAIL: PE32+ x86-64 (machine 0x014c, optional header 0x010b)"),
            (pe_image(characteristics=0x2102), "i386", "FAIL: an executable, not a DLL"),
            (pe_image(subsystem=3), "i386", "FAIL: subsystem 3 (Windows GUI is 2)"),
            (pe_image(stamp=5), "i386", "FAIL: PE time stamp is 5, not 0"),
            (pe_image(), "i386", "FAIL: one version resource (found 0)"),
        ]
        for data, machine, line in cases:
            with self.subTest(line=line):
                code, out = self.run_check(data, machine)
                self.assertEqual(code, 1)
                self.assertIn(line, out)
        code, out = self.run_check("DIR/missing.exe")
        self.assertEqual((code, out.split(":")[0]), (1, "FAIL"))

    def test_header_of_a_gui_program_passes(self):
        out = self.run_check(pe_image(), "i386")[1]
        for line in ("ok:   PE32 i386 (machine 0x014c, optional header 0x010b)",
                     "ok:   an executable, not a DLL", "ok:   subsystem 2",
                     "ok:   PE time stamp is 0", "ok:   no delay-loaded DLLs"):
            self.assertIn(line, out)

    def test_same_names_where_builds_differ(self):
        self.assertEqual(self.run_check("--same", b"abcd", b"abcd")[0], 0)
        code, out = self.run_check("--same", b"abcdefgh", b"aXYdefghij")
        self.assertEqual(code, 1)
        self.assertIn("  bytes 0x1..0x2 (?)\n", out)
        self.assertIn("  the lengths differ from offset 0x8\n", out)


if __name__ == "__main__":
    unittest.main()
