#!/usr/bin/env python3
"""dravik-xml through its process interface: the example documents, broken documents, files that
cannot be read, and the command line. Usage: test_dravik_xml.py PATH-TO-dravik-xml"""
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
EXAMPLES = SOURCE / "examples" / "documents"
MESSAGING_SAMPLES = SOURCE / "tests" / "data" / "messaging" / "valid"
TOOL = None  # set from the command line
NS = 'xmlns="http://www.dravik.example/schemas"'
DECLARATION = '<?xml version="1.0" encoding="UTF-8"?>\n'


def run(*arguments, cwd=None):
    done = subprocess.run([TOOL, *arguments], cwd=cwd, capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


class InScratchDirectory(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.dir = Path(self.scratch.name)

    def tearDown(self):
        self.scratch.cleanup()

    def write(self, name, content):
        data = content.encode("utf-8") if isinstance(content, str) else content
        (self.dir / name).write_bytes(data)
        return name

    def run_here(self, *arguments):
        return run(*arguments, cwd=self.dir)

    def xmllint(self, schema_name, document):
        schema = self.dir / (schema_name + ".xsd")
        if not schema.exists():
            status, text, _ = run("schema", schema_name)
            self.assertEqual(status, 0)
            schema.write_text(text, encoding="utf-8")
        return subprocess.run(["xmllint", "--noout", "--schema", str(schema), str(document)],
                              capture_output=True, text=True)


class ExampleDocuments(InScratchDirectory):
    def examples(self):
        documents = sorted(EXAMPLES.glob("*.xml"))
        self.assertGreaterEqual(len(documents), 5)
        return documents

    def test_every_example_checks_clean_as_the_kind_its_name_says(self):
        documents = self.examples()
        self.assertEqual(len(documents), 35)
        status, out, err = run("check", *map(str, documents))
        # Elements both schemas know are read as settings unless the schema is named.
        shared = {"messaging-Resource", "messaging-Parameter", "messaging-WPSubsystems"}
        kind = lambda d: d.stem.replace("-", " ", 1).replace(
            "messaging", "settings" if d.stem in shared else "messaging")
        expected = "".join(f"{d}: ok ({kind(d)})\n" for d in documents)
        self.assertEqual((status, out, err), (0, expected, ""))
        named = [d for d in documents if d.stem in shared]
        self.assertEqual(run("check", "--schema", "messaging", *map(str, named)),
                         (0, "".join(f"{d}: ok ({d.stem.replace('-', ' ', 1)})\n"
                                     for d in named), ""))

    def test_every_example_formats_to_a_fixed_point_that_its_schema_accepts(self):
        for document in self.examples():
            with self.subTest(document.name):
                status, once, err = run("format", str(document))
                self.assertEqual((status, err), (0, ""))
                self.assertTrue(once.startswith(DECLARATION))
                first = self.write("once.xml", once)
                status, twice, _ = self.run_here("format", first)
                self.assertEqual(status, 0)
                self.assertEqual(twice, once)
                validation = self.xmllint(document.stem.split("-")[0], self.dir / first)
                self.assertEqual(validation.returncode, 0, validation.stderr)

    def test_the_printed_messaging_schema_is_self_contained(self):
        samples = sorted(MESSAGING_SAMPLES.glob("*.xml"))
        self.assertTrue(samples)
        for sample in samples:
            validation = self.xmllint("messaging", sample)
            self.assertEqual(validation.returncode, 0, validation.stderr)

    def test_format_writes_the_same_text_to_a_file(self):
        document = EXAMPLES / "settings-Settings.xml"
        _, expected, _ = run("format", str(document))
        self.assertEqual(self.run_here("format", str(document), "-o", "out.xml"), (0, "", ""))
        self.assertEqual((self.dir / "out.xml").read_text(encoding="utf-8"), expected)


SETTINGS_OPEN = DECLARATION + f"<Settings {NS}>\n"


class BrokenDocuments(InScratchDirectory):
    # name, content, expected stdout of check, expected stderr of check, exit status
    CASES = [
        ("malformed.xml",
         DECLARATION + '<invoke name="f" returntype="xml">\n<arguments>\n<number>1</number\n'
         "</arguments>\n</invoke>\n",
         "malformed.xml:5: number: Bad end of element [10]\n", "", 1),
        ("unterminated.xml", SETTINGS_OPEN + "\t<Main>\n",
         "unterminated.xml:4: Main: Unexpected end of message [34]\n", "", 1),
        ("wrong-element.xml", DECLARATION + "<!-- not ours -->\n<invoice number=\"7\"/>\n",
         "wrong-element.xml:3: invoice: Element not found [16]\n",
         "wrong-element.xml: invoice in no namespace is not the document element of a flash, "
         "settings or messaging document\n", 1),
        ("missing-item.xml", SETTINGS_OPEN + "\t<Main/>\n</Settings>\n",
         "missing-item.xml:4: Settings: Mandatory element missing [21]\n", "", 1),
        ("missing-attribute.xml", DECLARATION + '<invoke returntype="xml"/>\n',
         "missing-attribute.xml:2: FlashInvokeType: Required attribute(s) missing [25]\n", "", 1),
        ("out-of-range.xml",
         SETTINGS_OPEN + "\t<Plugins>\n\t\t<Plugin Name=\"MSN\">\n"
         "\t\t\t<NudgeDelay>4294967296</NudgeDelay>\n\t\t</Plugin>\n\t</Plugins>\n\t<Main/>\n"
         "</Settings>\n",
         "out-of-range.xml:5: NudgeDelay: Value greater than specified maximum [36]\n", "", 1),
        ("several.xml",
         SETTINGS_OPEN + "\t<Main>\n\t\t<LoginPeriod>-1</LoginPeriod>\n\t</Main>\n"
         "\t<Plugins>\n\t\t<Plugin Name=\"MSN\" Colour=\"red\"/>\n\t</Plugins>\n</Settings>\n",
         "several.xml:4: LoginPeriod: Value less than specified minimum [37]\n"
         "several.xml:7: Plugin: Unexpected attribute [39]\n", "", 1),
        ("empty.xml", "", "empty.xml:1: Unexpected end of message [34]\n", "", 1),
    ]

    def test_check_reports_each_error_with_line_item_message_and_code(self):
        for name, content, out, err, status in self.CASES:
            with self.subTest(name):
                self.write(name, content)
                self.assertEqual(self.run_here("check", name), (status, out, err))

    def test_format_reports_as_check_and_writes_nothing(self):
        for name, content, out, err, status in self.CASES:
            with self.subTest(name):
                self.write(name, content)
                self.assertEqual(self.run_here("format", name, "-o", "out.xml"), (status, out, err))
                self.assertFalse((self.dir / "out.xml").exists())

    def test_errors_are_reported_up_to_a_limit(self):
        numbers = "".join("<number>x</number>\n" for _ in range(25))
        self.write("many.xml", f'<invoke name="f" returntype="xml"><arguments>\n{numbers}'
                   "</arguments></invoke>\n")
        status, out, _ = self.run_here("check", "many.xml")
        lines = out.splitlines()
        self.assertEqual(status, 1)
        self.assertEqual(lines[0], "many.xml:2: number: Invalid value format for this type [35]")
        self.assertEqual(len(lines), 21)
        self.assertEqual(lines[-1], "many.xml: stopped after 20 errors; fix these and check again")

    def test_the_worst_file_decides_the_exit_status(self):
        self.write("good.xml", (EXAMPLES / "settings-Parameter.xml").read_bytes())
        self.write("empty.xml", "")
        self.assertEqual(self.run_here("check", "good.xml", "empty.xml")[0], 1)
        status, out, err = self.run_here("check", "good.xml", "absent.xml", "empty.xml")
        self.assertEqual(status, 2)
        self.assertEqual(out, "good.xml: ok (settings Parameter)\n"
                              "empty.xml:1: Unexpected end of message [34]\n")
        self.assertEqual(err, "dravik-xml: absent.xml: no such file; check the name and the "
                              "directory\n")


class Inputs(InScratchDirectory):
    def test_unreadable_files_are_named_with_what_to_do(self):
        (self.dir / "folder").mkdir()
        for command in (["check"], ["format"]):
            self.assertEqual(self.run_here(*command, "absent.xml"),
                             (2, "", "dravik-xml: absent.xml: no such file; check the name and "
                                     "the directory\n"))
            self.assertEqual(self.run_here(*command, "folder"),
                             (2, "", "dravik-xml: folder: is a directory; give the XML files in "
                                     "it, for example folder/*.xml\n"))

    def test_utf16_input_is_read_and_written_as_utf8(self):
        text = (EXAMPLES / "settings-Parameter.xml").read_text(encoding="utf-8")
        text = text.replace('encoding="UTF-8"', 'encoding="UTF-16"').replace("true", "vrai é")
        for name, encoding in (("le.xml", "utf-16-le"), ("be.xml", "utf-16-be")):
            with self.subTest(encoding):
                self.write(name, "\ufeff".encode(encoding) + text.encode(encoding))
                self.assertEqual(self.run_here("check", name),
                                 (0, f"{name}: ok (settings Parameter)\n", ""))
                status, out, _ = self.run_here("format", name)
                self.assertEqual(status, 0)
                self.assertIn(DECLARATION, out)
                self.assertIn("<Value>vrai é</Value>", out)

    def test_format_says_how_much_a_lenient_schema_dropped(self):
        self.write("extra.xml", '<invoke name="f" returntype="xml" caller="menu">\n<arguments>\n'
                   '<string>a</string>\n<colour depth="8"><rgb/></colour>\n<number>3</number>\n'
                   "</arguments>\n</invoke>\n")
        status, out, err = self.run_here("format", "extra.xml")
        self.assertEqual(status, 0)
        self.assertEqual(out, DECLARATION + '<invoke name="f" returntype="xml">\n\t<arguments>\n'
                         "\t\t<string>a</string>\n\t\t<number>3</number>\n\t</arguments>\n"
                         "</invoke>\n")
        self.assertEqual(err, "extra.xml: dropped 2 unknown element(s) and 2 attribute(s) not in "
                              "the flash schema\n")
        self.assertEqual(self.run_here("check", "extra.xml"), (0, "extra.xml: ok (flash invoke)\n", ""))

    def test_namespaced_documents_are_recognised_by_uri_not_prefix(self):
        self.write("prefixed.xml", '<d:Resource xmlns:d="http://www.dravik.example/schemas" ID="1" '
                   'Type="GIF"/>')
        self.write("other-ns.xml", '<Resource xmlns="urn:other" ID="1" Type="GIF"/>')
        self.assertEqual(self.run_here("check", "prefixed.xml"),
                         (0, "prefixed.xml: ok (settings Resource)\n", ""))
        self.assertEqual(self.run_here("check", "other-ns.xml"),
                         (1, "other-ns.xml:1: Resource: Element not found [16]\n",
                          "other-ns.xml: Resource in namespace urn:other is not the document "
                          "element of a flash, settings or messaging document\n"))


class Schemas(InScratchDirectory):
    def test_a_messaging_document_checks_and_formats_to_a_fixed_point(self):
        self.write("message.xml", (MESSAGING_SAMPLES / "ServerMessage.xml").read_bytes())
        self.assertEqual(self.run_here("check", "message.xml"),
                         (0, "message.xml: ok (messaging ServerMessage)\n", ""))
        status, formatted, _ = self.run_here("format", "message.xml")
        self.assertEqual(status, 0)
        self.write("formatted.xml", formatted.encode("utf-8"))
        self.assertEqual(self.run_here("format", "formatted.xml"), (0, formatted, ""))

    def test_shared_elements_are_settings_unless_the_schema_is_named(self):
        self.write("resource.xml", (EXAMPLES / "settings-Resource.xml").read_bytes())
        self.assertEqual(self.run_here("check", "resource.xml"),
                         (0, "resource.xml: ok (settings Resource)\n", ""))
        self.assertEqual(self.run_here("check", "--schema", "messaging", "resource.xml"),
                         (0, "resource.xml: ok (messaging Resource)\n", ""))
        self.assertEqual(self.run_here("check", "--schema", "flash", "resource.xml"),
                         (1, "resource.xml:3: Resource: Element not found [16]\n",
                          "resource.xml: Resource in namespace http://www.dravik.example/schemas "
                          "is not the document element of a flash document\n"))

    def test_a_shared_element_settings_refuses_is_read_as_messaging(self):
        lenient = (EXAMPLES / "settings-Resource.xml").read_text(encoding="utf-8").replace(
            "<Resource ", "<Resource Note=\"kept out\" ", 1)
        self.write("lenient.xml", lenient.encode("utf-8"))
        self.assertEqual(self.run_here("check", "lenient.xml"),
                         (0, "lenient.xml: ok (messaging Resource)\n", ""))
        # When neither reads it, the settings errors are shown and the note says so.
        self.write("neither.xml", lenient.replace(" ID=", " Id=", 1).encode("utf-8"))
        status, out, err = self.run_here("check", "neither.xml")
        self.assertEqual(status, 1)
        self.assertRegex(out, r"^neither\.xml:\d+: Resource: ")
        self.assertEqual(err, "neither.xml: not a settings document (errors above) nor a "
                              "messaging document; --schema messaging shows the messaging "
                              "errors\n")

    def test_each_schema_prints_as_its_file_without_includes(self):
        for name, file in (("flash", "flash.xsd"), ("settings", "DravikSettings.xsd")):
            self.assertEqual(run("schema", name),
                             (0, (SOURCE / "schemas" / file).read_text(encoding="utf-8"), ""))
        status, text, _ = run("schema", "messaging")
        self.assertEqual(status, 0)
        self.assertNotIn("xs:include", text)
        self.assertEqual(text.count("<xs:schema "), 1)


class CommandLine(unittest.TestCase):
    def test_help_and_version(self):
        status, out, _ = run("--help")
        self.assertEqual(status, 0)
        self.assertTrue(out.startswith("Usage: dravik-xml COMMAND"))
        for command in ("check", "format", "schema"):
            status, out, _ = run(command, "--help")
            self.assertEqual(status, 0)
            self.assertTrue(out.startswith(f"Usage: dravik-xml {command} "), out)
        version = re.search(r"project\(DravikLmx VERSION (\S+)",
                            (SOURCE / "CMakeLists.txt").read_text()).group(1)
        self.assertEqual(run("--version"), (0, f"dravik-xml (DravikLmx) {version}\n", ""))

    def test_usage_errors_exit_2_and_point_at_help(self):
        cases = [
            ([], None),
            (["convert", "a.xml"], "unknown command 'convert'; use check, format or schema"),
            (["check"], "give the files to check"),
            (["check", "--strict", "a.xml"], "unknown option '--strict'"),
            (["check", "--schema", "soap", "a.xml"],
             "unknown schema 'soap'; use flash, settings or messaging"),
            (["format", "a.xml", "b.xml"], "give exactly one file to format"),
            (["format", "a.xml", "-o"], "option -o needs a value"),
            (["schema", "soap"], "unknown schema 'soap'; use flash, settings or messaging"),
        ]
        for arguments, problem in cases:
            with self.subTest(arguments):
                status, out, err = run(*arguments)
                self.assertEqual((status, out), (2, ""))
                if problem:
                    command = arguments[0] + " " if arguments[0] != "convert" else ""
                    self.assertEqual(err, f"dravik-xml: {problem}\nTry 'dravik-xml {command}--help'.\n")


if __name__ == "__main__":
    TOOL = str(Path(sys.argv.pop(1)).resolve())
    unittest.main()
