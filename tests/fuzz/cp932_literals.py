#!/usr/bin/env python3
"""Copies a UTF-8 C++ source with the characters in its string and character
literals written as the Shift-JIS (code page 932) bytes that g++'s
-fexec-charset=CP932 makes of them, as octal escapes.

clang compiles only to UTF-8; the fuzz tree compiles this copy instead, so the
program's texts hold the same bytes as in the g++ builds. Octal escapes stop
after three digits, so a following character can never extend one (a hex
escape would take in a following 'A'), and a second byte 0x5C stays a byte
instead of starting an escape.

usage: cp932_literals.py SOURCE COPY
"""
import re
import sys

# R, u8R, uR, UR or LR right before a double quote, not the end of a longer name.
RAW_PREFIX = re.compile(r"(?<![A-Za-z0-9_])(?:u8|u|U|L)?R$")


def literal_bytes(ch):
    return "".join("\\%03o" % b for b in ch.encode("cp932"))


def convert(text):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif c == '"' and RAW_PREFIX.search(text[max(0, i - 4):i]):
            # A raw string, R"delim( ... )delim": no escapes to write bytes with.
            open_paren = text.find("(", i)
            delim = text[i + 1:open_paren]
            end = text.find(")" + delim + '"', open_paren)
            end = n if end < 0 else end + len(delim) + 2
            if any(ord(ch) > 0x7F for ch in text[i:end]):
                raise SystemExit("cp932_literals.py: a raw string literal holds non-ASCII characters")
            out.append(text[i:end])
            i = end
        elif c in "\"'":
            j = i + 1
            piece = [c]
            while j < n and text[j] != c:
                if text[j] == "\\" and j + 1 < n:
                    piece.append(text[j:j + 2])
                    j += 2
                    continue
                if text[j] == "\n":
                    break  # not a literal after all (an apostrophe in a digit separator, say)
                piece.append(literal_bytes(text[j]) if ord(text[j]) > 0x7F else text[j])
                j += 1
            if j < n and text[j] == c:
                piece.append(c)
                j += 1
            out.append("".join(piece))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], encoding="utf-8", newline="") as f:
        text = f.read()
    with open(sys.argv[2], "w", encoding="utf-8", newline="") as f:
        # Diagnostics and stack traces name the source itself; the lines stay where they were.
        f.write('#line 1 "%s"\n' % sys.argv[1].replace("\\", "\\\\"))
        f.write(convert(text))


if __name__ == "__main__":
    main()
