#!/usr/bin/env python3
"""Makes a program's manual page from a template and the program's own --help.

    make_manpage.py PROGRAM TEMPLATE VERSION OUTPUT(.gz)

@VERSION@ in the template becomes VERSION, @OPTIONS@ the help text turned into roff:
an indented line "  --name VALUE   text" becomes a tagged paragraph, a line indented
deeper continues the one before, an unindented line ending in ":" a subheading and any
other line a paragraph. The page lists exactly the options the program has.
"""
import gzip
import os
import re
import subprocess
import sys


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    # A line starting with . or ' would be a request.
    return "\\&" + text if text[:1] in (".", "'") else text


def options_section(help_text):
    out = []
    paragraph = False  # whether the line before was running text
    lines = help_text.splitlines()
    # The first usage line is the synopsis, written by hand in the template.
    if lines and lines[0].startswith("Usage:"):
        lines = lines[1:]
    for line in lines:
        if not line.strip():
            paragraph = False
            continue
        item = re.match(r"^  (\S.*?)(?:\s{2,}(\S.*))?$", line)
        if line.startswith("Usage:"):
            out += [".SS " + roff(line[len("Usage:"):].strip())]
        elif re.match(r"^\s{3,}\S", line) and out:
            out.append(roff(line.strip()))
        elif item:
            out += [".TP", ".B " + roff(item.group(1))]
            if item.group(2):
                out.append(roff(item.group(2)))
        elif line.rstrip().endswith(":"):
            out += [".SS " + roff(line.strip().rstrip(":"))]
        elif paragraph:
            out.append(roff(line.strip()))
        else:
            out += [".PP", roff(line.strip())]
        paragraph = not item and not line.rstrip().endswith(":") and not line.startswith(" ")
    return "\n".join(out)


def main():
    program, template, version, output = sys.argv[1:5]
    env = dict(os.environ, LC_ALL="C")
    done = subprocess.run([program, "--help"], capture_output=True, text=True, env=env,
                          timeout=60)
    if done.returncode != 0 or not done.stdout:
        sys.exit("make_manpage: %s --help failed: %s" % (program, done.stderr.strip()))
    with open(template, encoding="utf-8") as f:
        page = f.read()
    page = page.replace("@VERSION@", version).replace("@OPTIONS@",
                                                      options_section(done.stdout))
    data = page.encode("utf-8")
    if output.endswith(".gz"):
        # mtime 0: the same page makes the same file, for a reproducible package.
        with open(output, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", mtime=0,
                                                      filename="") as f:
            f.write(data)
    else:
        with open(output, "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
