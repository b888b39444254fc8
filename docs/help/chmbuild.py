#!/usr/bin/env python3
"""Compiles the help file from the UTF-8 sources in this folder.

    chmbuild.py CHMCMD SOURCE_DIR STAGE_DIR OUTPUT.chm

The help viewer reads the contents and the index in the code page of the help
file's language, Japanese (932), whatever they declare: every text source is
written to STAGE_DIR in code page 932 and its pages declare Shift_JIS. Files of
the project's [FILES] list that are not in SOURCE_DIR (the glyph pictures)
must already be in STAGE_DIR. Fails on any compiler complaint.
"""
import os
import shutil
import subprocess
import sys

PROJECT = "Ondalux.hhp"
TEXT = (".htm", ".hhc", ".hhk", ".hhp", ".css")


def listed_files(project_text):
    files, section = [], None
    for line in project_text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line
        elif section == "[FILES]" and line:
            files.append(line)
    return files


def stage(source, target):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    text = text.replace("charset=utf-8", "charset=Shift_JIS")
    with open(target, "w", encoding="cp932", newline="\r\n") as f:
        f.write(text)


def main(argv):
    if len(argv) != 5:
        sys.stderr.write(__doc__)
        return 2
    chmcmd, source_dir, stage_dir, output = argv[1:]
    os.makedirs(stage_dir, exist_ok=True)
    with open(os.path.join(source_dir, PROJECT), encoding="utf-8") as f:
        files = listed_files(f.read())
    for name in [PROJECT, "toc.hhc", "index.hhk"] + files:
        source = os.path.join(source_dir, name)
        if os.path.exists(source) and name.endswith(TEXT):
            try:
                stage(source, os.path.join(stage_dir, name))
            except UnicodeError as e:
                sys.stderr.write(f"{source}: not representable in code page 932: {e}\n")
                return 1
        elif not os.path.exists(os.path.join(stage_dir, name)):
            sys.stderr.write(f"{name}: listed in {PROJECT} but missing\n")
            return 1
    compiled = os.path.join(stage_dir, "Ondalux.chm")
    if os.path.exists(compiled):
        os.remove(compiled)
    run = subprocess.run([chmcmd, PROJECT], cwd=stage_dir, capture_output=True, text=True,
                         encoding="cp932", errors="replace")
    complaints = [l for l in (run.stdout + run.stderr).splitlines()
                  if any(w in l.lower() for w in ("error", "warning", "not found", "missing"))]
    if run.returncode != 0 or complaints or not os.path.exists(compiled):
        sys.stderr.write(run.stdout + run.stderr)
        return 1
    shutil.copyfile(compiled, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
