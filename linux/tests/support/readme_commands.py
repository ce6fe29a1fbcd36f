#!/usr/bin/env python3
"""What README.md shows a user (the part above its marker), one a line, for
package_trixie_test.sh to try against the installed package:
  install TAB LINE            the apt line that installs the package
  run TAB COMMAND             a command of the package's programs, as typed
  watcher TAB COMMAND TAB LINE  LINE starts the idle watcher: it must be one
                              that `COMMAND -autostart on` prints
  option TAB NAME             an option of cascade's named alone
  path TAB PATH               a file the package installs
  source TAB PATH             a file of the source tree (a script, a page)
Usage: readme_commands.py README.md"""
import os
import re
import sys

MARKER = "<!-- Every command, option and package path shown above this line"
# A program of the package's (cascade, cascade-*) where a shell or a compositor's configuration
# would start it: at the start, in quotes, or after exec / exec-once =.
PROGRAM = re.compile(r"(?:^|(?<=')|(?<=exec )|(?<== ))cascade(?:-[a-z-]+)?(?=$|[ '&])[^'&]*")

readme = sys.argv[1]
with open(readme, encoding="utf-8") as file:
    text = file.read()
if MARKER not in text:
    sys.exit(f"{readme} has lost its marker ({MARKER} ...)")
text = text[: text.index(MARKER)]
fence = re.compile(r"^```[a-z]*\n(.*?)^```\n", re.M | re.S)
prose = fence.sub("", text)
snippets = [line for block in fence.findall(text) for line in block.splitlines()]
snippets += re.findall(r"`([^`\n]+)`", prose)
found = [f"source\t{link}" for link in re.findall(r"\]\(([^)#:]+)(?:#[^)]*)?\)", prose)]
for snippet in dict.fromkeys(snippets):
    install = re.fullmatch(r"(?:sudo )?(apt(?:-get)? install .*)", snippet)
    page = re.fullmatch(r"man (\d) (\S+)", snippet)
    if install:
        found.append(f"install\t{install[1]}")
    elif re.fullmatch(r"/(usr|etc)/\S+", snippet):
        found.append(f"path\t{snippet}")
    elif page:
        found.append(f"path\t/usr/share/man/man{page[1]}/{page[2]}.{page[1]}.gz")
    elif re.fullmatch(r"-[a-z][a-z-]*( \S+)?", snippet):
        found.append(f"option\t{snippet.split()[0]}")
    elif snippet.startswith("scripts/"):
        found.append(f"source\t{snippet.split()[0]}")
    for command in (match[0].strip() for match in PROGRAM.finditer(snippet)):
        found.append(f"run\t{command}")
        if " -idle " in command + " " and "-autostart" not in command:
            found.append(f"watcher\t{command}\t{snippet}")
found = list(dict.fromkeys(found))
print("\n".join(found))
kinds = {line.split("\t")[0] for line in found}
if not {"install", "run", "watcher"} <= kinds:
    sys.exit(f"{readme} shows no {' and no '.join(sorted({'install', 'run', 'watcher'} - kinds))} line above its marker")
