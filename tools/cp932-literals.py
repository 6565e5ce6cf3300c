#!/usr/bin/env python3
"""cp932-literals.py SOURCE OUTPUT - the module's texts in code page 932.

The module's sources are UTF-8; the host reads its texts as code page 932
(Shift-JIS with Microsoft's extensions).  Compilers differ in how they can be
told to convert string literals (GCC has -fexec-charset, clang has none), so
the build runs every module source through this script instead: OUTPUT is
SOURCE with each non-ASCII character inside a string or character literal
written as its code page 932 bytes in three-digit octal escapes (three digits,
so that a following digit never joins the escape).  Everything else is kept
byte for byte, comments included, and a #line directive at the top makes the
compiler's messages and the debug information name SOURCE and its own lines.

A character that code page 932 cannot encode, or a non-ASCII character in a
prefixed or raw literal (u8"", L"", R"()"), stops the build with file:line.
Uses nothing beyond Python's standard library.
"""
import os
import sys


def fail(path, line, message):
    sys.stderr.write("%s:%d: %s\n" % (path, line, message))
    sys.exit(1)


def literal_bytes(body, path, line):
    """The body of a literal (between its quotes) with every non-ASCII
    character replaced by octal escapes of its code page 932 bytes."""
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            nxt = body[i + 1]
            if ord(nxt) >= 0x80:
                fail(path, line, "a backslash before a non-ASCII character")
            out.append(body[i:i + 2])  # an escape of the source, kept as written
            i += 2
            continue
        if ord(c) < 0x80:
            out.append(c)
        else:
            try:
                encoded = c.encode("cp932")
            except UnicodeEncodeError:
                fail(path, line, "U+%04X (%s) has no code page 932 form" % (ord(c), c))
            out.extend("\\%03o" % b for b in encoded)
        i += 1
    return "".join(out)


def convert(text, path):
    """SOURCE text -> OUTPUT text (without the #line directive)."""
    out = []
    i, n, line = 0, len(text), 1
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(text[i:j])
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            if j < 0:
                fail(path, line, "a comment is not closed")
            out.append(text[i:j + 2])
            line += text.count("\n", i, j + 2)
            i = j + 2
        elif c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c:
                if text[j] == "\n":
                    fail(path, line, "a literal runs past the end of its line")
                j += 2 if text[j] == "\\" else 1
            if j >= n:
                fail(path, line, "a literal is not closed")
            body = text[i + 1:j]
            prefix = i
            while prefix > 0 and (text[prefix - 1].isalnum() or text[prefix - 1] == "_"):
                prefix -= 1
            if any(ord(ch) >= 0x80 for ch in body) and prefix != i:
                fail(path, line, "a non-ASCII text in a literal with the prefix '%s'" % text[prefix:i])
            out.append(c + literal_bytes(body, path, line) + c)
            i = j + 1
        else:
            if c == "\n":
                line += 1
            out.append(c)
            i += 1
    return "".join(out)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: cp932-literals.py SOURCE OUTPUT\n")
        sys.exit(2)
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    directive = '#line 1 "%s"\n' % os.path.abspath(source).replace("\\", "/")
    result = directive + convert(text, source)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    # Written only when it changes, so that an edit of a comment elsewhere
    # does not rebuild what depends on an unchanged output.
    if os.path.exists(output):
        with open(output, encoding="utf-8", newline="") as f:
            if f.read() == result:
                return
    with open(output, "w", encoding="utf-8", newline="") as f:
        f.write(result)


if __name__ == "__main__":
    main()
