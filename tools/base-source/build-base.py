#!/usr/bin/env python3
"""Builds the bundled dialogue base (base/) from the topic files next to this script.

Beside opt.tmb, path.tmb and dlg/ it writes "version", a digest of what they hold: the
launcher merges a release's new dialogues into a user's copy when this changes.

Usage: build-base.py [--out DIR] [--check]
  --out DIR  write the base there instead of base/ of this source tree
  --check    write nothing; exit 1 when base/ differs from what the sources give

Topic files are NN-name.txt in UTF-8, read in name order; their dialogues are numbered in
that order, which is also the order the program tries them in. In a topic file:
  ; comment
  (blank line)  ends a dialogue
  $phrase       a trigger, lower case; the spellings people type are added (see below)
  $=phrase      a trigger taken exactly as written
  #reply        a reply; [n] is the user's name, [e] closes the program after the reply
A dialogue is one or more turns, each a block of triggers then a block of replies.

Each trigger also matches without its final punctuation and with ".", "!", "?", ")" or
"..." instead, without commas, and with "е" for "ё", because matching is exact.
"""

import argparse
import hashlib
import pathlib
import re
import sys

SOURCE_DIR = pathlib.Path(__file__).resolve().parent
DEFAULT_BASE = SOURCE_DIR.parent.parent / "base"
USER_NAME = "Гость"
TRANSPARENT = "false"
OPACITY = "70"
ENDINGS = ("", ".", "!", "?", ")", "...")
TRAILING_PUNCTUATION = ".!?)"


class SourceError(Exception):
    pass


def lower_like_program(text):
    # The program lowers bytes A-Z and А-Я only, so "Ё" stays as it is.
    return "".join(
        chr(ord(c) + 32) if "A" <= c <= "Z" or "А" <= c <= "Я" else c for c in text)


def spellings(trigger):
    if trigger.startswith("="):
        return [trigger[1:]]
    stem = trigger.rstrip(TRAILING_PUNCTUATION)
    if not stem:
        return [trigger]
    forms = [trigger] + [stem + ending for ending in ENDINGS]
    forms += [form.replace(",", "") for form in forms if "," in form]
    forms += [form.replace("ё", "е") for form in forms if "ё" in form]
    unique = []
    for form in forms:
        form = re.sub(" +", " ", form)
        if form not in unique:
            unique.append(form)
    return unique


class Dialogue:
    def __init__(self, where):
        self.where = where
        self.turns = []  # [(source triggers, replies)]

    def lines(self):
        out = []
        for triggers, replies in self.turns:
            seen = set()
            for trigger in triggers:
                for form in spellings(trigger):
                    if form not in seen:
                        seen.add(form)
                        out.append("$" + form)
            out += ["#" + reply for reply in replies]
        return out + ["#END"]

    def trigger_blocks(self):
        blocks = []
        for triggers, _ in self.turns:
            block = []
            for trigger in triggers:
                block += [form for form in spellings(trigger) if form not in block]
            blocks.append(block)
        return blocks


def check_text(where, text):
    if text != text.strip():
        raise SourceError(f"{where}: blanks at the start or end of the line")
    try:
        encoded = text.encode("cp1251")
    except UnicodeEncodeError as error:
        bad = text[error.start]
        raise SourceError(f"{where}: {bad!r} (U+{ord(bad):04X}) is not in code page 1251")
    if any(byte < 0x20 for byte in encoded):
        raise SourceError(f"{where}: control character")


def parse_topic(path):
    dialogues = []
    current = None
    lines = path.read_text(encoding="utf-8").split("\n")
    for number, line in enumerate(lines + [""], start=1):
        where = f"{path.name}:{number}"
        line = line.rstrip("\r")
        if line.startswith(";"):
            continue
        if not line.strip():
            if current is not None:
                if not current.turns or not current.turns[-1][1]:
                    raise SourceError(f"{current.where}: the last turn has no reply")
                dialogues.append(current)
                current = None
            continue
        tag, text = line[0], line[1:]
        if tag not in "$#":
            raise SourceError(f"{where}: a line starts with $, # or ;")
        check_text(where, text)
        if not text.lstrip("="):
            raise SourceError(f"{where}: empty {tag} line")
        if current is None:
            if tag != "$":
                raise SourceError(f"{where}: a dialogue starts with a trigger")
            current = Dialogue(where)
        if tag == "$":
            if text != lower_like_program(text) or "Ё" in text:
                raise SourceError(f"{where}: triggers are lower case (and ё, not Ё)")
            if not current.turns or current.turns[-1][1]:
                current.turns.append(([], []))
            current.turns[-1][0].append(text)
        else:
            if text == "END":
                raise SourceError(f"{where}: #END is added by this script")
            current.turns[-1][1].append(text)
    return dialogues


def load_dialogues():
    dialogues = []
    topics = sorted(SOURCE_DIR.glob("[0-9][0-9]-*.txt"))
    if not topics:
        raise SourceError(f"{SOURCE_DIR}: no topic files")
    for topic in topics:
        dialogues += parse_topic(topic)
    opened_by = {}
    for dialogue in dialogues:
        blocks = dialogue.trigger_blocks()
        for form in blocks[0]:
            if form in opened_by:
                raise SourceError(
                    f"{dialogue.where}: opener {form!r} already opens the dialogue at "
                    f"{opened_by[form]}, which the program tries first")
            opened_by[form] = dialogue.where
        # In a dialogue the program answers from the first trigger that matches, so a
        # trigger already in an earlier turn would never reach its own turn.
        earlier = set()
        for turn, block in enumerate(blocks, start=1):
            for form in block:
                if form in earlier:
                    raise SourceError(
                        f"{dialogue.where}: turn {turn} trigger {form!r} is answered by an "
                        "earlier turn of the same dialogue")
            earlier.update(block)
    return dialogues


def base_files(dialogues):
    def crlf(lines):
        return "".join(line + "\r\n" for line in lines).encode("cp1251")

    files = {
        "opt.tmb": crlf([USER_NAME, TRANSPARENT, OPACITY, str(len(dialogues))]),
        "path.tmb": crlf([f"dlg\\{i}.dlg" for i in range(1, len(dialogues) + 1)]),
    }
    for i, dialogue in enumerate(dialogues, start=1):
        files[f"dlg/{i}.dlg"] = crlf(dialogue.lines())
    files["version"] = crlf([version_of(files)])
    return files


def version_of(files):
    # Derived from the content, so it changes exactly when a release changes the base.
    digest = hashlib.sha256()
    for name in sorted(files):
        digest.update(name.encode("ascii") + b"\0" + files[name] + b"\0")
    return digest.hexdigest()[:16]


def existing_dialogue_files(base):
    dlg = base / "dlg"
    return {f"dlg/{p.name}" for p in dlg.glob("*.dlg")} if dlg.is_dir() else set()


def check(base, files):
    problems = []
    for name, content in files.items():
        path = base / name
        if not path.is_file():
            problems.append(f"{name}: missing")
        elif path.read_bytes() != content:
            problems.append(f"{name}: differs")
    problems += [f"{name}: not built from the sources"
                 for name in sorted(existing_dialogue_files(base) - files.keys())]
    return problems


def write(base, files):
    (base / "dlg").mkdir(parents=True, exist_ok=True)
    for name in existing_dialogue_files(base) - files.keys():
        if re.fullmatch(r"dlg/[0-9]+\.dlg", name):
            (base / name).unlink()
    for name, content in files.items():
        path = base / name
        if not path.is_file() or path.read_bytes() != content:
            path.write_bytes(content)


def main():
    parser = argparse.ArgumentParser(description="Builds the dialogue base from its sources.")
    parser.add_argument("--out", type=pathlib.Path, default=DEFAULT_BASE)
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    try:
        dialogues = load_dialogues()
    except SourceError as error:
        print(f"build-base: {error}", file=sys.stderr)
        return 1
    files = base_files(dialogues)
    if args.check:
        problems = check(args.out, files)
        for problem in problems:
            print(f"build-base: {args.out}/{problem}", file=sys.stderr)
        if problems:
            print("build-base: run tools/base-source/build-base.py to rebuild it",
                  file=sys.stderr)
        return 1 if problems else 0
    write(args.out, files)
    multi = sum(1 for d in dialogues if len(d.turns) > 1)
    print(f"{len(dialogues)} dialogues, {multi} with follow-up turns")
    return 0


if __name__ == "__main__":
    sys.exit(main())
