#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets to fuzz/corpus/<target>/.

The seeds are rows of the tests' byte tables, put into each target's input
layout (parts cut by the byte 0x1e, see the head of each *_fuzz.cpp). Run it
again after changing a layout; libFuzzer only reads these files.
"""
import pathlib
import shutil

SEP = b"\x1e"
ROOT = pathlib.Path(__file__).resolve().parent / "corpus"


def parts(*items):
    return SEP.join(i if isinstance(i, bytes) else i.encode("latin-1") for i in items)


SEEDS = {
    "settings": {
        # file, then section / key / value triples
        "empty": parts(""),
        "lf-options": parts("[Options]\nCount Lines=0x0\nCount Words=0x\nUnix File=$1\n"),
        "crlf-blanks-case": parts("[ oPTIONS ]\r\n  Count LINES \t=\t 1 \r\nDefault Operator=-1\r\n"),
        "no-final-line-end": parts("[Options]\nk=1", "Options", "j", "2"),
        "cr-at-end": parts("[Options]\na=1\r", "Options", "k", "v"),
        "comments-and-other-sections": parts(
            "; mine\n[Other]\nx=1\n[Options]\n  count lines = 0  \nfoo\n\n[Z]\n", "Other", "y", " spaced ",
            "New", "k", "\"q\""),
        "repeated-sections": parts("[A]\nk=1\n[options]\nk=2\n[OPTIONS]\nk=3\n", "Options", "K", "4"),
        "key-before-section": parts("k=1\r\n[A]\r\nx=1", "Options", "k", "v"),
        "unstorable-key": parts("[Options]\n", "Options", ";k", "v"),
        "hex-and-range": parts(
            "[Options]\nCount Lines=$FFFFFFFF\nCount Words=2147483648\nProgress Indicator=+5\n"
            "Total Clear= $10\nDefault Operator=0X1f\n"),
        "high-bytes": parts("[Options]\nk=\xe4\xf6\r\n", "Options", "k", "\xe9"),
    },
    "list_file": {
        "empty": b"",
        "crlf-no-end": b"a\r\nb",
        "lf-cr": b"a\n\rb",
        "crlf-twice": b"a\r\n\r\n",
        "mixed": b"a\rb\nc\r\n",
        "cr-cr": b"a\r\rb",
        "just-crlf": b"\r\n",
        "spaces": b" a b \r\n",
        "zero-byte": b"a\r\nb\0c\r\nd",
        "zero-first": b"\0a",
        "high-bytes": b"\xe9t\xe9\n",
        "paths": b"/a/b.txt\r\n\r\n/a/b.txt\r\n spaced \r\n\xff\xfe\r\n",
    },
    "drop_names": {
        "report": b"/docs/report.txt",
        "archive": b"/docs/archive.tar.gz",
        "dotted-folder": b"/my.dir/README",
        "hidden": b"/docs/.profile",
        "final-dot": b"/docs/file.",
        "no-folder": b"plain.txt",
        "no-extension": b"noext",
        "folder-slash": b"/docs/",
        "long-ascii": b"/" + b"a" * 230,
        "long-utf8-at-cut": b"/" + b"a" * 191 + "\u00e9\u20ac\U0001F600".encode() * 4,
        "long-latin1": b"/" + b"\xe9" * 220,
    },
    "command_line": {
        # control bytes (shape of parameter 1, list before and Search, operator
        # before), the name in parameter 1, then parameters 2, 3, ...
        "file-alone": parts(b"\x03\x00\x00", ""),
        "pattern-alone": parts(b"\x05\x00\x00", ""),
        "list-only": parts(b"\x04\x00\x00", "", "/LIST"),
        "go-as-string-1": parts(b"\x03\x00\x00", "", "/GO"),
        "string-1-and-go": parts(b"\x03\x00\x00", "", "s1", "/GO"),
        "or-and-go": parts(b"\x03\x00\x00", "", "s1", "OR", "s2", "/GO"),
        "xor-no-run": parts(b"\x03\x00\x00", "", "s1", "XOR", "s2"),
        "other-word": parts(b"\x03\x00\x03", "", "s1", "word", "s2", "/GO"),
        "go-as-string-2": parts(b"\x03\x00\x00", "", "s1", "&NOT", "/GO"),
        "two-runs-small-letters": parts(b"\x03\x00\x00", "", "s1", "/go", "/Go"),
        "list-string-go": parts(b"\x04\x00\x00", "", "s1", "/LIST", "/GO"),
        "missing-file-list-before": parts(b"\x00\x82\x02", "missing.txt", "s1", "OR", "s2", "/GO"),
        "folder": parts(b"\x00\x00\x00", "p", "s1", "/GO"),
        "tree-pattern": parts(b"\x02\x00\x00", "*.txt", "s1", "/GO"),
        "hidden-by-star": parts(b"\x01\x00\x00", ".h*", "s1"),
        "bracket-and-backslash": parts(b"\x00\x00\x00", "odd[1]*", "s1", "/GO"),
    },
    "line_readers": {
        # control bytes (fetch size, repetition past 64 KiB), then one or two
        # files: the reader tests' byte table
        "crlf": parts(b"\x00\x00", "a\r\nb"),
        "lone-lf": parts(b"\x01\x00", "a\nb"),
        "lone-cr": parts(b"\x02\x00", "a\rb"),
        "cr-cr-lf": parts(b"\x04\x00", "a\r\r\nb"),
        "lf-cr-lf": parts(b"\x00\x00", "a\n\r\nb"),
        "ctrl-z-ends-data": parts(b"\x02\x00", "a\x1ab\r\nc"),
        "nul-is-ordinary": parts(b"\x00\x00", "a\0b"),
        "cr-at-end": parts(b"\x00\x00", "a\r"),
        "ctrl-z-first": parts(b"\x00\x00", "\x1aabc\r\n"),
        "just-crlf-then-just-lf": parts(b"\x00\x00", "\r\n", "\n"),
        "cr-then-ctrl-z": parts(b"\x00\x00", "a\r\x1ab"),
        "cr-bc-lf": parts(b"\x06\x00", "a\rbc\n"),
        "lf-only-file-large": parts(b"\x00\x01", "one\ntwo\nthree\n"),
        "cr-only-file-large": parts(b"\x7e\x35", "one\rtwo\rthree\r"),
        "crlf-at-block-edge": parts(b"\x7f\x05", "x" * 127 + "\r\n" + "y" * 126 + "\r\n", "z" * 300),
        "high-bytes": parts(b"\x00\x00", "\xe9t\xe9\r\n\xff"),
    },
    "search_run": {
        # control bytes (options, operator, cancel, list extras), string 1,
        # string 2, then up to four files
        "one-string-default": parts(b"\x06\x00\x00\x00", "fox", "",
                                    "the fox\r\nno\r\nFOX and fox\r\n" + "line\r\n" * 12 + "last fox"),
        "and-numbered-case": parts(b"\x27\x01\x00\x00", "ab", "cd", "ab cd\nab\ncd\n", "AB CD\r\nab cd"),
        "or-unix-words": parts(b"\x8e\x02\x00\x01", "a", "b", "a\nb\nc\n" * 7),
        "xor-reverse": parts(b"\x16\x03\x00\x02", "x", "y", "x\ny\nxy\nz\n" * 5),
        "and-not-one-instance": parts(b"\x46\x04\x00\x04", "abc", "b", "abc\r\na\r\n", "ab\r\nabc"),
        "cancelled-in-second-file": parts(b"\x0e\x00\x02\x00", "w", "", "w\r\n" * 15, "w\r\n" * 25,
                                          "w\r\n" * 5),
        "word-count-overlap": parts(b"\x0e\x00\x00\x00", "aa", "", "aaa\r\n" * 11 + "abab ab\r\n"),
        "no-operator": parts(b"\x06\x00\x00\x00", "a", "b", "a b\r\n"),
        "no-files": parts(b"\x06\x01\x00\x00", "a", ""),
        "empty-and-missing-save-prompt": parts(b"\x06\x01\x00\x0b", "", "", "", "\x1a"),
        "nul-in-line": parts(b"\x26\x01\x00\x00", "b", "", "a\0b\r\nb\0\r\n"),
        # byte 5, bit 0: string 1 as an expression against the lines, no run
        "expression-prefilter": parts(b"\x00\x00\x00\x00\x00\x01", "quillo[a-z]*get", "",
                                      "QuilloTarget x\nquillo\xe9get\n"),
        "expression-words-stray-byte": parts(b"\x00\x00\x00\x00\x00\x05", "(a|b)+c?\\.", "", "ab. c", "bbc.\xff"),
        "expression-case-folding": parts(b"\x00\x00\x00\x00\x00\x03", "^\\w+$|k", "", "\xe2\x84\xaa\nword\n"),
    },
}


def main():
    for target, seeds in SEEDS.items():
        folder = ROOT / target
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
