#!/usr/bin/env python3
"""Builds the bundled dialogue base (base/) from the topic files next to this script.

Beside opt.tmb, path.tmb, dlg/ and words.tmb it writes "version", a digest of what they
hold: the launcher merges a release's new dialogues and word substitutions into a user's
copy when this changes.

Usage: build-base.py [--out DIR] [--check] [--draft] [--list-openers BASE] [--list-folded BASE]
  --out DIR            write the base there instead of base/ of this source tree
  --draft              with --out, write it even when the lints find something
  --check              write nothing; exit 1 when base/ differs from what the sources give
  --list-openers BASE  print each opener of a built base, read as the program reads it
  --list-folded BASE   print each trigger of a built base and its folded form

Topic files are NN-name.txt in UTF-8, read in name order; their dialogues are numbered in
that order, which is also the order the program tries them in. In a topic file:
  ; comment
  (blank line)  ends a dialogue
  $phrase       a trigger, lower case, written into the base once, as it stands; a `*`
                standing as a word makes it a pattern, `*` being any run of words
  #reply        a reply; [n] is the user's name, [e] closes the program after the reply
  =name         starts a block of turns shared by dialogues (up to the next blank line)
  +name         inside a dialogue, the shared block's turns; a trigger the dialogue already
                has is left out of them
A dialogue is one or more turns, each a block of triggers then a block of replies.

Beyond plain words a trigger may name a concept of concepts*.txt, `@name`, where a word
stands: `$* @близкий * выпил * @лекарство *`. `$& a @b c` asks for its elements in any
order within one sentence of the phrase; `-word` or `-@name` in either form is an element
that must not occur. A later turn of `$*` alone answers whatever the dialogue's other
turns do not. A dialogue whose first trigger is `$[срочно]` is urgent: it answers whenever
one of its triggers is met anywhere in a line and holds the conversation; `$[помощь]` marks
the general help dialogue (urgent too), which answers a line with a danger sign that no
urgent trigger meets.

The program tries every trigger exactly first and folded after (case, ё as е, any run of
punctuation and blanks as one blank: see folded()), so the other spellings people type
need no lines of their own; openers and turns must differ when folded.

words.txt (UTF-8, "#" starts a comment line) becomes words.tmb, one word=replacement a line.
concepts*.txt (UTF-8, "#" starts a comment line), read in name order, become concepts.tmb:
`@name=entry, entry, @other` a line, `!@name=...` for a class whose entries are danger signs.

Lints then look at what the dialogues say (see "Lints" below); on any finding the script
prints them all as file:line: message and exits 1 without writing, with --check too.
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
WORDS_SOURCE = "words.txt"
WORDS_FILE = "words.tmb"
CONCEPTS_SOURCES = "concepts*.txt"
CONCEPTS_FILE = "concepts.tmb"
URGENT_MARK = "[срочно]"
HELP_MARK = "[помощь]"
MARKS = (URGENT_MARK, HELP_MARK)
CATCH_ALL = "*"


class SourceError(Exception):
    pass


def lower_like_program(text):
    # The program lowers bytes A-Z and А-Я only, so "Ё" stays as it is.
    return "".join(
        chr(ord(c) + 32) if "A" <= c <= "Z" or "А" <= c <= "Я" else c for c in text)


# What each code page 1251 byte folds to, as the program's FoldPhrase has it (None: it only
# separates words). Capitals A-Z and А-Я are lowered, Ё and ё read as е; the other Cyrillic
# letters of the code page are letters as they stand.
OTHER_CYRILLIC = bytes.fromhex("8081838A8C8D8E8F909A9C9D9E9FA1A2A3A5A8AAAFB2B3B4B8BABCBDBEBF")
FOLDED_BYTE = [None] * 256
for _byte in range(256):
    if 0x41 <= _byte <= 0x5A or 0xC0 <= _byte <= 0xDF:
        FOLDED_BYTE[_byte] = _byte + 32
    elif _byte in (0xA8, 0xB8):
        FOLDED_BYTE[_byte] = 0xE5
    elif (0x30 <= _byte <= 0x39 or 0x61 <= _byte <= 0x7A or _byte >= 0xC0
          or _byte in OTHER_CYRILLIC):
        FOLDED_BYTE[_byte] = _byte


def folded(text):
    """A phrase as the program's tolerant search compares it: «Ёлка, привет!!» gives «елка
    привет». Held to the program's own folding by a test over every trigger of the base."""
    out = bytearray()
    blank = False
    for byte in text.encode("cp1251"):
        to = FOLDED_BYTE[byte]
        if to is None:
            blank = bool(out)
            continue
        if blank:
            out.append(0x20)
            blank = False
        out.append(to)
    return out.decode("cp1251")


class Dialogue:
    def __init__(self, file, number):
        self.file = file
        self.where = f"{file}:{number}"
        self.turns = []  # [(source triggers, replies)]
        self.numbers = []  # the source line of each trigger and reply, shaped as turns

    def numbered_turns(self):
        """[([(line, trigger)], [(line, reply)])], for messages that name a line."""
        return [(list(zip(lines[0], turn[0])), list(zip(lines[1], turn[1])))
                for turn, lines in zip(self.turns, self.numbers)]

    def lines(self):
        out = []
        for triggers, replies in self.turns:
            out += ["$" + trigger for trigger in triggers]
            out += ["#" + reply for reply in replies]
        return out + ["#END"]


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


def parse_topic(path, shared=None):
    return parse_topic_text(path.name, path.read_text(encoding="utf-8"), shared)


def parse_topic_text(name, text, shared=None):
    """The dialogues of a topic text. Shared blocks (`=name`) go into `shared`, by name, as
    (turns, line numbers); `+name` takes them from there, so a block is defined before use."""
    shared = {} if shared is None else shared
    dialogues = []
    current = None
    block = None
    lines = text.split("\n")
    for number, line in enumerate(lines + [""], start=1):
        where = f"{name}:{number}"
        line = line.rstrip("\r")
        if line.startswith(";"):
            continue
        if not line.strip():
            if current is not None:
                if not current.turns or not current.turns[-1][1]:
                    raise SourceError(f"{current.where}: the last turn has no reply")
                if block is not None:
                    shared[block] = (current.turns, current.numbers)
                else:
                    dialogues.append(current)
                current = None
                block = None
            continue
        tag, text = line[0], line[1:]
        if tag == "=" and current is None:
            if not re.fullmatch(r"[\w-]+", text):
                raise SourceError(f"{where}: a shared block is =name")
            if text in shared:
                raise SourceError(f"{where}: a shared block {text!r} is already defined")
            block = text
            current = Dialogue(name, number)
            continue
        if tag == "+":
            if current is None or not current.turns or not current.turns[-1][1]:
                raise SourceError(f"{where}: +{text} goes after a turn's replies")
            if text not in shared:
                raise SourceError(f"{where}: no shared block {text!r} defined before it")
            insert_shared(current, *shared[text])
            continue
        if tag not in "$#":
            raise SourceError(f"{where}: a line starts with $, #, =, + or ;")
        check_text(where, text)
        if not text:
            raise SourceError(f"{where}: empty {tag} line")
        if current is None:
            if tag != "$":
                raise SourceError(f"{where}: a dialogue starts with a trigger")
            current = Dialogue(name, number)
        if tag == "$":
            if text != lower_like_program(text) or "Ё" in text:
                raise SourceError(f"{where}: triggers are lower case (and ё, not Ё)")
            if text in MARKS and (current.turns or block is not None):
                raise SourceError(f"{where}: {text} marks a dialogue only as its first trigger")
            if text == CATCH_ALL and not current.turns[1:] and (
                    not current.turns or not current.turns[-1][1]):
                raise SourceError(f"{where}: $* answers anything, so only a later turn may hold it")
            if not current.turns or current.turns[-1][1]:
                current.turns.append(([], []))
                current.numbers.append(([], []))
            if text in current.turns[-1][0]:
                raise SourceError(f"{where}: trigger {text!r} is already in this turn")
            current.turns[-1][0].append(text)
            current.numbers[-1][0].append(number)
        else:
            if text == "END":
                raise SourceError(f"{where}: #END is added by this script")
            current.turns[-1][1].append(text)
            current.numbers[-1][1].append(number)
    return dialogues


def short_answer_kind(trigger):
    return next((kind for kind, answers in SHORT_ANSWERS.items() if folded(trigger) in answers),
                None)


def insert_shared(dialogue, turns, numbers):
    """Adds a shared block's turns to a dialogue, less the triggers it already answers: the
    same trigger, or a short answer of a kind one of its turns already takes."""
    have = {compared(t) for triggers, _ in dialogue.turns for t in triggers}
    kinds = {short_answer_kind(t) for triggers, _ in dialogue.turns for t in triggers} - {None}
    for (triggers, replies), (trigger_lines, reply_lines) in zip(turns, numbers):
        kept = [(t, n) for t, n in zip(triggers, trigger_lines)
                if compared(t) not in have and short_answer_kind(t) not in kinds]
        if not kept:
            continue
        have.update(compared(t) for t, _ in kept)
        dialogue.turns.append(([t for t, _ in kept], list(replies)))
        dialogue.numbers.append(([n for _, n in kept], list(reply_lines)))


def urgency(dialogue):
    """The mark a dialogue opens with, or None."""
    first = dialogue.turns[0][0][0]
    return first if first in MARKS else None


def opener_block(lines):
    """The phrases a dialogue file opens with, as the program reads the file: every "$" line
    before the first "#" line. The program's own reader (engine/dialogue_reader) is held to
    this by a test over the bundled base."""
    openers = []
    for line in lines:
        if line.startswith("#"):
            break
        if line.startswith("$"):
            openers.append(line[1:])
    return openers


def list_openers(base):
    """Each opener of a built base as "entry TAB phrase", in code page 1251, path-list order."""
    out = bytearray()
    entries = (base / "path.tmb").read_bytes().decode("cp1251").split("\r\n")[:-1]
    for entry in entries:
        path = base / entry.replace("\\", "/")
        lines = path.read_bytes().decode("cp1251").split("\r\n")[:-1]
        for opener in opener_block(lines):
            out += f"{entry}\t{opener}\n".encode("cp1251")
    return bytes(out)


def compared(trigger):
    """What tells triggers apart once folded; punctuation alone is compared as it stands."""
    return folded(trigger) or trigger


def list_folded(base):
    """Each trigger of a built base as "entry TAB trigger TAB folded", in code page 1251."""
    out = bytearray()
    entries = (base / "path.tmb").read_bytes().decode("cp1251").split("\r\n")[:-1]
    for entry in entries:
        path = base / entry.replace("\\", "/")
        for line in path.read_bytes().decode("cp1251").split("\r\n")[:-1]:
            if line.startswith("$"):
                out += f"{entry}\t{line[1:]}\t{folded(line[1:])}\n".encode("cp1251")
    return bytes(out)


def is_pattern(trigger):
    """True when a `*` stands as a word of the trigger, alone or with punctuation only: the
    program then reads it as a pattern, `*` being any run of words."""
    return any("*" in word and not folded(word.replace("*", "")) for word in trigger.split())


def names_concepts(trigger):
    """True when the trigger is written in the language of concepts (a word `@name` or
    `-@name`, or `&` first) or is a mark: its text is nobody's phrase, and only the exact
    comparison reads it as text."""
    words = trigger.split()
    return (trigger in MARKS or (bool(words) and words[0] == "&") or
            any(word.lstrip("-").startswith("@") for word in words))


def load_dialogues():
    dialogues = []
    topics = sorted(SOURCE_DIR.glob("[0-9][0-9]-*.txt"))
    if not topics:
        raise SourceError(f"{SOURCE_DIR}: no topic files")
    for topic in topics:
        dialogues += parse_topic(topic, {})
    # The folded tier answers every spelling of an opener or a turn from the first one
    # that folds alike, so the later one would only ever answer its exact spelling.
    opened_by = {}
    for dialogue in dialogues:
        for trigger in opener_block(dialogue.lines()):
            if names_concepts(trigger):
                continue
            key = compared(trigger)
            if opened_by.get(key, dialogue.where) != dialogue.where:
                raise SourceError(
                    f"{dialogue.where}: opener {trigger!r} reads as {key!r}, like an opener "
                    f"of the dialogue at {opened_by[key]}, which the program tries first")
            opened_by[key] = dialogue.where
    # Inside a dialogue the exact tier still tries every opener before the folded tier
    # tries the dialogue's own turns: a turn's trigger spelled unlike an opener it folds
    # alike with would lose that spelling to the other dialogue. A number alone is left
    # out: «0» is an answer, «:0» a smiley, not its spelling.
    # A pattern's own spelling, asterisks and all, is nobody's phrase.
    openers = {}
    for dialogue in dialogues:
        for trigger in (t for t in dialogue.turns[0][0]
                        if not is_pattern(t) and not names_concepts(t)):
            openers.setdefault(compared(trigger), []).append((trigger, dialogue.where))
    # An urgent dialogue's own turns come before every other answer, so none is taken.
    for dialogue in (d for d in dialogues if urgency(d) is None):
        for triggers, _ in dialogue.turns[1:]:
            for trigger in (t for t in triggers
                            if re.search("[^0-9 ]", folded(t)) and not names_concepts(t)):
                for opener, where in openers.get(compared(trigger), []):
                    if opener not in triggers and where != dialogue.where:
                        raise SourceError(
                            f"{dialogue.where}: turn trigger {trigger!r} reads like the opener "
                            f"{opener!r} of the dialogue at {where}, which takes that spelling "
                            "even inside this dialogue: spell the two alike")
    for dialogue in dialogues:
        earlier = {}
        for turn, (triggers, _) in enumerate(dialogue.turns, start=1):
            for trigger in (t for t in triggers if not names_concepts(t)):
                key = compared(trigger)
                if earlier.get(key, turn) != turn:
                    raise SourceError(
                        f"{dialogue.where}: turn {turn} trigger {trigger!r} reads as {key!r}, "
                        f"like a trigger of turn {earlier[key]}, which the program tries first")
                earlier.setdefault(key, turn)
    return dialogues


NEGATIONS = {"не", "ни", "нет", "без"}
MAX_WORDS_LINE = 4096


def parse_words_text(name, text):
    """The word=replacement lines of a words source, comments and blank lines dropped. Both
    sides are written folded, as the program compares them, so that what the file says is
    what it does."""
    lines = []
    given = {}
    for number, line in enumerate(text.split("\n"), start=1):
        where = f"{name}:{number}"
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        check_text(where, line)
        word, equals, replacement = line.partition("=")
        if not equals or not folded(word) or " " in folded(word):
            raise SourceError(f"{where}: a line is word=replacement, the replacement zero or "
                              "more words")
        if len(line.encode("cp1251")) > MAX_WORDS_LINE:
            raise SourceError(f"{where}: longer than the {MAX_WORDS_LINE} bytes the program reads")
        if line != f"{folded(word)}={folded(replacement)}":
            raise SourceError(f"{where}: write it folded, as the program reads it: "
                              f"{folded(word)}={folded(replacement)}")
        if word in NEGATIONS:
            raise SourceError(f"{where}: {word!r} turns a phrase's meaning round and is never "
                              "replaced or dropped")
        if replacement == word:
            raise SourceError(f"{where}: {word!r} is replaced by itself")
        if word in given:
            raise SourceError(f"{where}: {word!r} is already given at line {given[word]}")
        given[word] = number
        lines.append(line)
    replacements = {line.partition("=")[0]: line.partition("=")[2].split() for line in lines}
    for word in replacements:
        if leads_back(word, replacements):
            raise SourceError(f"{name}:{given[word]}: {word!r} leads back to itself through "
                              "the replacements")
    return lines


def leads_back(word, replacements):
    seen = set()
    stack = list(replacements[word])
    while stack:
        next_word = stack.pop()
        if next_word == word:
            return True
        if next_word in replacements and next_word not in seen:
            seen.add(next_word)
            stack += replacements[next_word]
    return False


CONCEPT_NAME = r"@[0-9a-zа-яё_-]+"


def parse_concepts_text(name, text, defined=None):
    """The class lines of a concepts source, comments and blank lines dropped, as
    (line, class name, [entries], where). Entries are written folded, as the program compares
    them; `@other` names another class."""
    defined = {} if defined is None else defined
    classes = []
    for number, line in enumerate(text.split("\n"), start=1):
        where = f"{name}:{number}"
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        check_text(where, line)
        head, equals, body = line.partition("=")
        danger = head.startswith("!")
        class_name = head[1:] if danger else head
        if not equals or not re.fullmatch(CONCEPT_NAME, class_name):
            raise SourceError(f"{where}: a line is @name=entry, entry (or !@name=... for danger "
                              "signs), the name in lower case")
        if len(line.encode("cp1251")) > MAX_WORDS_LINE:
            raise SourceError(f"{where}: longer than the {MAX_WORDS_LINE} bytes the program reads")
        entries = [entry.strip() for entry in body.split(",")]
        for entry in entries:
            if not entry:
                raise SourceError(f"{where}: an empty entry")
            if entry.startswith("@"):
                if not re.fullmatch(CONCEPT_NAME, entry):
                    raise SourceError(f"{where}: {entry!r} is no class name")
            elif entry != folded(entry):
                raise SourceError(f"{where}: write {entry!r} folded, as the program reads it: "
                                  f"{folded(entry)!r}")
        if len(set(entries)) != len(entries):
            raise SourceError(f"{where}: an entry is given twice")
        if class_name in defined:
            raise SourceError(f"{where}: {class_name} is already defined at {defined[class_name]}")
        defined[class_name] = where
        classes.append((line, class_name, entries, where))
    return classes


def check_concepts(classes):
    entries = {class_name: body for _, class_name, body, _ in classes}
    for _, class_name, body, where in classes:
        for entry in body:
            if entry.startswith("@") and entry not in entries:
                raise SourceError(f"{where}: {entry} is not defined")
    for _, class_name, _, where in classes:
        seen, stack = set(), [e for e in entries[class_name] if e.startswith("@")]
        while stack:
            other = stack.pop()
            if other == class_name:
                raise SourceError(f"{where}: {class_name} contains itself through its classes")
            if other not in seen:
                seen.add(other)
                stack += [e for e in entries[other] if e.startswith("@")]


def load_concepts():
    classes = []
    defined = {}
    for path in sorted(SOURCE_DIR.glob(CONCEPTS_SOURCES)):
        classes += parse_concepts_text(path.name, path.read_text(encoding="utf-8"), defined)
    check_concepts(classes)
    return classes


def check_concept_names(dialogues, classes):
    """Every `@name` a trigger uses is defined."""
    known = {class_name for _, class_name, _, _ in classes}
    for dialogue in dialogues:
        for triggers, trigger_lines in zip((t for t, _ in dialogue.turns),
                                           (n for n, _ in dialogue.numbers)):
            for trigger, number in zip(triggers, trigger_lines):
                for word in trigger.split():
                    used = word.lstrip("-")
                    if used.startswith("@") and used not in known:
                        raise SourceError(f"{dialogue.file}:{number}: {used} is not defined in "
                                          f"{CONCEPTS_SOURCES}")


def load_words():
    path = SOURCE_DIR / WORDS_SOURCE
    if not path.is_file():
        return None
    return parse_words_text(path.name, path.read_text(encoding="utf-8"))


# Lints: faults in what the dialogues say that the format itself allows. Each lint takes a
# dialogue and returns (line, message) pairs; the build prints them all and writes nothing.

WORD = r"[а-яё]+(?:-[а-яё]+)*"

# Masculine forms a reply must not use for the user, whose gender is unknown. Tumbo's own
# masculine («я рад», «я понял») is right and is not looked at.
NOT_PAST_TENSE = set("""
    дел тел сил правил чисел кресел зеркал одеял зал спортзал вокзал бал канал финал
    журнал сериал материал идеал сигнал скандал генерал карнавал предел отдел раздел
    пробел крокодил стул орёл козёл котёл осёл
""".split())
IRREGULAR_PAST = set("мог смог помог лёг лег привык промок замёрз замерз вырос принёс принес"
                     .split())
SHORT_MASCULINE = set("""
    готов рад уверен согласен сам один доволен прав должен голоден занят свободен болен
    здоров счастлив одинок нужен важен прекрасен умён умен силён силен похож виноват знаком
    спокоен влюблён влюблен обижен расстроен удивлён удивлен способен интересен красив
""".split())
FULL_MASCULINE = set("такой какой другой живой молодой родной".split())
NOT_MASCULINE = set("каждый всякий первый третий гений".split())
# Verbs whose subject in a question is nearly always a thing: «Как прошёл день?».
THING_VERBS = set("прошёл прошел понравился получился случился удался начался закончился".split())
OTHER_SUBJECTS = set("я он она оно мы вы они кто никто это который которая".split())
# Tumbo asks the riddles and never guesses, so these are always said of the user.
SAID_OF_USER = {"угадал", "отгадал"}
ADVERBS = {"не", "уже", "так", "тогда", "всё-таки", "сегодня", "вчера"}


def is_masculine_past(word):
    if word in NOT_PAST_TENSE:
        return False
    return word in IRREGULAR_PAST or re.search("(ал|ял|ел|ёл|ил|ыл|ул)(ся)?$", word) is not None


def is_masculine_predicate(word, sentence):
    """«ты готов», «ты смелый»; but not «ты мой лучший друг», where it goes with a noun."""
    if word in NOT_MASCULINE:
        return False
    if word in SHORT_MASCULINE:
        return True
    if word not in FULL_MASCULINE and not re.search("(ый|ий)$", word):
        return False
    following = re.search(rf"(?<![а-яё]){re.escape(word)}(?![а-яё-])( [а-яё]+)?", sentence).group(1)
    return following is None or following.strip() in ("и", "а", "но", "же", "ведь")


def sentences(reply):
    """(text, words, is a question) for each sentence of a reply, in lower case."""
    for text, end in re.findall(r"([^.!?…]+)([.!?…]*)", reply.lower()):
        yield text, re.findall(WORD, text), "?" in end


def masculine_for_user(reply):
    """The first masculine form the reply uses for the user, or None."""
    for text, words, question in sentences(reply):
        for i, word in enumerate(words):
            # «ты сделал», «ты, наверное, устал», «ты меня впервые включил», «ты смелый»
            if word == "ты":
                for after in words[i + 1:i + 4]:
                    if after in OTHER_SUBJECTS:
                        break
                    if is_masculine_past(after) or is_masculine_predicate(after, text):
                        return f"ты {after}" if after == words[i + 1] else f"ты … {after}"
        if OTHER_SUBJECTS.intersection(words):
            continue
        for i, word in enumerate(words):
            before = words[i - 1] if i > 0 else ""
            # «Выспался?», «Что сегодня делал?», «Согласен?», but «ещё один?» is a count
            if question and before not in ("ещё", "хоть", "ни") and (
                    word in SHORT_MASCULINE or is_masculine_past(word) and word not in THING_VERBS):
                return word + "?"
            # «Не угадал!», «Спасибо, что спросил», «Молодец, что решил»
            if word in SAID_OF_USER:
                return word
            if word == "что":
                rest = [w for w in words[i + 1:i + 3] if w not in ADVERBS][:1]
                if rest and is_masculine_past(rest[0]):
                    return f"что {rest[0]}"
    return None


def lint_masculine_for_user(dialogue):
    findings = []
    for _, replies in dialogue.numbered_turns():
        for line, reply in replies:
            form = masculine_for_user(reply)
            if form:
                findings.append((line, f"«{form}» speaks to the user as a man: use a form that "
                                       "fits anyone («Как спалось?», «Всё получилось?»)"))
    return findings


# Inside a dialogue the program answers from the first turn whose trigger matches, so a
# short answer that two turns expect always lands in the first of them.
SHORT_ANSWERS = {
    "yes": {"да", "ага", "угу", "конечно", "ну да", "да конечно", "конечно да", "ну конечно",
            "да да"},
    "no": {"нет", "неа", "не а", "нет конечно", "конечно нет", "ну нет", "нет нет"},
    "ok": {"хорошо", "ладно", "нормально", "норм", "ок", "окей", "ok"},
    "don't know": {"не знаю", "незнаю", "хз", "без понятия", "даже не знаю", "не знаю даже",
                   "понятия не имею"},
}


def lint_shared_short_answer(dialogue):
    findings = []
    for kind, answers in SHORT_ANSWERS.items():
        first = None
        for turn, (triggers, _) in enumerate(dialogue.numbered_turns(), start=1):
            hits = [(line, trigger) for line, trigger in triggers if folded(trigger) in answers]
            if not hits:
                continue
            if first is None:
                first = (turn, hits[0])
                continue
            line, trigger = hits[0]
            first_turn, (first_line, first_trigger) = first
            findings.append((line, f"«{trigger}» is a short answer ({kind}) like «{first_trigger}» "
                                   f"of turn {first_turn} (line {first_line}), which the program "
                                   "tries first: give each kind of short answer one turn"))
    return findings


def lint_question_at_end(dialogue):
    # A question in quotes is someone's in a joke or a story, not one put to the user.
    _, replies = dialogue.numbered_turns()[-1]
    return [(line, "a reply of the dialogue's last turn asks a question: add a turn for "
                   "its answers or ask nothing")
            for line, reply in replies if "?" in re.sub(r'«[^»]*»|"[^"]*"', "", reply)]


# The urgent dialogues are read by people in danger: every reply gives a number to call, is
# short enough to read in a panic, and gives each number once. The women's line is never
# the only one (men and boys meet these replies too) and is not called round-the-clock,
# which nobody has verified.
HELP_NUMBERS = ("112", "8-800-2000-122", "8-800-7000-600")
WOMENS_LINE = "8-800-7000-600"
HELP_MAX_CHARS = 300


def lint_help_reply(dialogue):
    if urgency(dialogue) is None:
        return []
    findings = []
    for _, replies in dialogue.numbered_turns():
        for line, reply in replies:
            counts = {number: len(re.findall(rf"(?<![0-9-]){re.escape(number)}(?![0-9-])", reply))
                      for number in HELP_NUMBERS}
            if not any(counts.values()):
                findings.append((line, "a help reply gives 112 or a helpline number"))
            elif counts[WOMENS_LINE] and sum(counts.values()) == counts[WOMENS_LINE]:
                findings.append((line, f"{WOMENS_LINE} is for women only: give 112 or "
                                       "8-800-2000-122 beside it"))
            if counts[WOMENS_LINE] and re.search("круглосуточ", reply.lower()):
                findings.append((line, f"{WOMENS_LINE} is not known to answer round-the-clock"))
            findings += [(line, f"a help reply gives {number} {count} times: once is enough")
                         for number, count in counts.items() if count > 1]
            if len(reply) > HELP_MAX_CHARS:
                findings.append((line, f"a help reply of {len(reply)} characters: at most "
                                       f"{HELP_MAX_CHARS}, to be read in a panic"))
    return findings


# Tumbo has no eyes or ears (PERSONA.md): phrasings in which he sees or hears. «Видно, ты
# устал» and «вижу, тебе весело» (so it seems), «это видно по мелочам» (of people at large),
# «не вижу», «приятно слышать» (glad to learn) and the user's own listening are fine.
SENSES = tuple(re.compile(pattern) for pattern in (
    r"\bрад\w*(?: \w+)? видеть\b",  # «рад тебя видеть»
    r"\b(?:это|сразу) видно$|\bвидно сразу$",  # «Это видно!», «сладкоежку видно сразу»
    r"(?<!\bне )(?<!\bни )\b(?:вижу|слышу|слушаю)\b(?!,)",
    r"\b(?:люблю|нравится|важно)(?: [\w-]+){0,3} слушать\b|\bслушать(?: [\w-]+){0,3} люблю\b",
))


def lint_senses(dialogue):
    findings = []
    for _, replies in dialogue.numbered_turns():
        for line, reply in replies:
            for text, _, _ in sentences(reply):
                found = next((m for m in (s.search(text.strip()) for s in SENSES) if m), None)
                if found:
                    findings.append((line, f"«{found.group(0)}»: Tumbo can neither see nor hear; "
                                           "say what he reads or is told"))
    return findings


# The same sentence in replies of two topic files is the same joke or story told twice. A
# question may come back (a riddle asked again), and the help file repeats its numbers and
# first steps on purpose.
REPEAT_MIN_WORDS = 6


def lint_repeated_sentence(dialogues):
    first = {}
    findings = []
    for dialogue in dialogues:
        if urgency(dialogue) is not None:
            continue
        for _, replies in dialogue.numbered_turns():
            for line, reply in replies:
                for _, words, question in sentences(reply.replace("[n]", "")):
                    if question or len(words) < REPEAT_MIN_WORDS:
                        continue
                    key = " ".join(words).replace("ё", "е")
                    where = first.setdefault(key, (dialogue.file, line))
                    if where[0] != dialogue.file:
                        findings.append((dialogue.file, line, f"«{' '.join(words)}» is said at "
                                         f"{where[0]}:{where[1]} too: tell it once"))
    return findings


LINTS = (lint_masculine_for_user, lint_shared_short_answer, lint_question_at_end, lint_help_reply,
         lint_senses)
# Lints over the whole base, giving (file, line, message).
BASE_LINTS = (lint_repeated_sentence,)


def lint(dialogues):
    """Every finding as "file:line: message", in file and line order."""
    findings = sorted([(dialogue.file, line, message)
                       for dialogue in dialogues for lint_one in LINTS
                       for line, message in lint_one(dialogue)] +
                      [finding for lint_base in BASE_LINTS for finding in lint_base(dialogues)])
    return [f"{file}:{line}: {message}" for file, line, message in findings]


def base_files(dialogues, words=None, concepts=None):
    def crlf(lines):
        return "".join(line + "\r\n" for line in lines).encode("cp1251")

    files = {
        "opt.tmb": crlf([USER_NAME, TRANSPARENT, OPACITY, str(len(dialogues))]),
        "path.tmb": crlf([f"dlg\\{i}.dlg" for i in range(1, len(dialogues) + 1)]),
    }
    for i, dialogue in enumerate(dialogues, start=1):
        files[f"dlg/{i}.dlg"] = crlf(dialogue.lines())
    if words is not None:
        files[WORDS_FILE] = crlf(words)
    if concepts:
        files[CONCEPTS_FILE] = crlf([line for line, _, _, _ in concepts])
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
    for optional in (WORDS_FILE, CONCEPTS_FILE):
        if optional not in files and (base / optional).exists():
            problems.append(f"{optional}: not built from the sources")
    return problems


def write(base, files):
    (base / "dlg").mkdir(parents=True, exist_ok=True)
    for name in existing_dialogue_files(base) - files.keys():
        if re.fullmatch(r"dlg/[0-9]+\.dlg", name):
            (base / name).unlink()
    for optional in (WORDS_FILE, CONCEPTS_FILE):
        if optional not in files and (base / optional).is_file():
            (base / optional).unlink()
    for name, content in files.items():
        path = base / name
        if not path.is_file() or path.read_bytes() != content:
            path.write_bytes(content)


def main():
    parser = argparse.ArgumentParser(description="Builds the dialogue base from its sources.")
    parser.add_argument("--out", type=pathlib.Path, default=DEFAULT_BASE)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--draft", action="store_true",
                        help="write the base even when lints find something, to try it out")
    parser.add_argument("--list-openers", type=pathlib.Path, metavar="BASE",
                        help="print the openers of a built base and exit")
    parser.add_argument("--list-folded", type=pathlib.Path, metavar="BASE",
                        help="print each trigger of a built base and its folded form and exit")
    args = parser.parse_args()
    if args.list_openers:
        sys.stdout.buffer.write(list_openers(args.list_openers))
        return 0
    if args.list_folded:
        sys.stdout.buffer.write(list_folded(args.list_folded))
        return 0
    try:
        dialogues = load_dialogues()
        words = load_words()
        concepts = load_concepts()
        check_concept_names(dialogues, concepts)
    except SourceError as error:
        print(f"build-base: {error}", file=sys.stderr)
        return 1
    findings = lint(dialogues)
    if findings:
        for finding in findings:
            print(finding, file=sys.stderr)
        if not args.draft or args.check or args.out == DEFAULT_BASE:
            print(f"build-base: {len(findings)} findings, so nothing was written",
                  file=sys.stderr)
            return 1
        print(f"build-base: {len(findings)} findings, written anyway (--draft)", file=sys.stderr)
    files = base_files(dialogues, words, concepts)
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
    triggers = sum(len(triggers) for d in dialogues for triggers, _ in d.turns)
    urgent = [d for d in dialogues if urgency(d)]
    urgent_triggers = sum(len(triggers) for d in urgent for triggers, _ in d.turns)
    print(f"{len(dialogues)} dialogues, {multi} with follow-up turns, {triggers} triggers, "
          f"{len(words or [])} word substitutions, {len(concepts)} concepts, "
          f"{len(urgent)} urgent dialogues with {urgent_triggers} triggers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
