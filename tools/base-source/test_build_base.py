#!/usr/bin/env python3
"""The lints of build-base.py on small topic texts, and a build that stops on them."""

import contextlib
import importlib.util
import io
import pathlib
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
_spec = importlib.util.spec_from_file_location(
    "build_base", pathlib.Path(__file__).resolve().parent / "build-base.py")
build_base = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(build_base)


def findings(lint, text):
    """(line, message) pairs of one lint over a topic text."""
    dialogues = build_base.parse_topic_text("01-test.txt", text)
    return [finding for dialogue in dialogues for finding in lint(dialogue)]


def lines(lint, text):
    return [line for line, _ in findings(lint, text)]


class Folding(unittest.TestCase):
    def test_folded_as_the_program_folds(self):
        for text, expected in (("Ёлка", "елка"), ("ПРИВЕТ!!", "привет"), ("  ну,   ёж...", "ну еж"),
                               ("пока-пока)))", "пока пока"), ("мне 15", "мне 15"), (":)", ""),
                               ("Hello, Мир", "hello мир"), ("Її", "Її"), ("a\u2014b", "a b")):
            with self.subTest(text=text):
                self.assertEqual(build_base.folded(text), expected)


class Triggers(unittest.TestCase):
    def error(self, text):
        with self.assertRaises(build_base.SourceError) as caught:
            build_base.parse_topic_text("01-test.txt", text)
        return str(caught.exception)

    def test_each_trigger_is_written_once_as_it_stands(self):
        dialogue, = build_base.parse_topic_text("01-test.txt", "$ну, привет\n$ёлка)\n#Привет!\n")
        self.assertEqual(dialogue.lines(), ["$ну, привет", "$ёлка)", "#Привет!", "#END"])

    def test_a_trigger_twice_in_a_turn(self):
        self.assertIn("01-test.txt:2: trigger 'да' is already in this turn",
                      self.error("$да\n$да\n#Ага.\n"))


class Words(unittest.TestCase):
    def parse(self, text):
        return build_base.parse_words_text("words.txt", text)

    def test_comments_and_blank_lines_are_dropped(self):
        self.assertEqual(self.parse("# «ну привет»\nну=\n\nвы=ты\nдр=день рождения\n"),
                         ["ну=", "вы=ты", "др=день рождения"])

    def test_faults_name_the_line(self):
        for text, message in (
                ("вы ты\n", "words.txt:1: a line is word=replacement"),
                ("вы вас=ты\n", "words.txt:1: a line is word=replacement"),
                ("=ты\n", "words.txt:1: a line is word=replacement"),
                ("!!=ты\n", "words.txt:1: a line is word=replacement"),
                ("вы=" + "ты " * 2000 + "ты\n", "words.txt:1: longer than the 4096 bytes"),
                ("# x\nживёте=живешь\n", "words.txt:2: write it folded, as the program reads it: "
                                          "живете=живешь"),
                ("Вы=ты\n", "write it folded"),
                ("не=\n", "words.txt:1: 'не' turns a phrase's meaning round"),
                ("нет=неа\n", "'нет' turns a phrase's meaning round"),
                ("ну=ну\n", "'ну' is replaced by itself"),
                ("вы=ты\nвы=тебя\n", "words.txt:2: 'вы' is already given at line 1"),
                ("а=б\nб=в г\nг=а\n", "words.txt:1: 'а' leads back to itself")):
            with self.subTest(text=text[:20]):
                with self.assertRaises(build_base.SourceError) as caught:
                    self.parse(text)
                self.assertIn(message, str(caught.exception))


class MasculineForUser(unittest.TestCase):
    def flagged(self, reply):
        return lines(build_base.lint_masculine_for_user, f"$привет\n#{reply}\n") == [2]

    def test_masculine_forms_for_the_user(self):
        for reply in ("О, ты вернулся! Где пропадал?", "Ты, наверное, устал.", "Ты готов?",
                      "Что сегодня делал?", "Выспался?", "Мороженое спасает, согласен?",
                      "Какой ты смелый!", "Ты умный, добрый и весёлый.", "Как сам?",
                      "Спасибо, что спросил!", "Не угадал! Подумай ещё.",
                      "Тот день, когда ты меня впервые включил.", "Ты не один."):
            with self.subTest(reply=reply):
                self.assertTrue(self.flagged(reply))

    def test_tumbo_own_masculine_and_neutral_forms(self):
        for reply in ("Я рад, что ты здесь!", "Понял, я запомню.", "Согласен! Берегите друг друга.",
                      "Я готов. А ты?", "Как прошёл день?", "Как спалось?", "Ты мой лучший друг.",
                      "Кто это сказал?", "Много дел?", "Рассказать ещё один?", "Ты молодец!",
                      "Я сам её придумал.", "Ты ходишь в спортзал?"):
            with self.subTest(reply=reply):
                self.assertFalse(self.flagged(reply))


class SharedShortAnswer(unittest.TestCase):
    def test_a_kind_of_short_answer_in_two_turns(self):
        text = ("$как дела\n#А у тебя?\n"
                "$хорошо\n#Здорово! Чаю?\n"
                "$да, конечно!\n#Наливаю.\n"
                "$нет\n#Ладно. Поболтаем?\n"
                "$ладно\n#Отлично.\n"
                "$угу\n#Ага.\n")
        found = sorted(findings(build_base.lint_shared_short_answer, text))
        self.assertEqual([line for line, _ in found], [9, 11])
        self.assertIn("«хорошо» of turn 2 (line 3)", found[0][1])

    def test_the_opener_counts_when_it_holds_one(self):
        text = "$нет\n#Почему нет?\n$не знаю\n#Бывает.\n$неа\n#Ну ладно.\n"
        self.assertEqual(lines(build_base.lint_shared_short_answer, text), [5])

    def test_each_kind_in_its_own_turn(self):
        text = "$чаю\n#Будешь?\n$да\n$ага\n#Держи.\n$нет\n#Ладно.\n$не знаю\n#Подумай.\n"
        self.assertEqual(findings(build_base.lint_shared_short_answer, text), [])


class QuestionAtEnd(unittest.TestCase):
    def test_only_the_last_turn_must_not_ask(self):
        text = ("$привет\n#Привет! Как дела?\n$хорошо\n#Рад. А у тебя что нового?\n#Ура!\n\n"
                "$пока\n#Пока!\n\n"
                "$анекдот\n#Бот спросил: «Ты кто?» Смешно.\n")
        self.assertEqual(lines(build_base.lint_question_at_end, text), [4])


class HelpReply(unittest.TestCase):
    def help_lines(self, text):
        dialogues = build_base.parse_topic_text("00-a.txt", text)
        return [line for dialogue in dialogues for line, _ in build_base.lint_help_reply(dialogue)]

    def test_every_urgent_reply_gives_a_number_once_and_is_short(self):
        text = ("$[срочно]\n$помогите\n#Звони 112.\n#Позвони 112 или 8-800-7000-600.\n"
                "#Просто подыши.\n#Звони 112, а если не ответят — 112.\n"
                "#8-800-2000-122 или 8-800-2000-122.\n"
                "#Звони 112. " + "а" * 290 + "\n#Звони 112. " + "а" * 289 + "\n")
        self.assertEqual(self.help_lines(text), [5, 6, 7, 8])

    def test_a_number_inside_another_is_not_a_number(self):
        self.assertEqual(self.help_lines("$[помощь]\n#Код 1123.\n"), [2])

    def test_the_womens_line_is_never_alone_nor_round_the_clock(self):
        text = ("$[срочно]\n$меня бьют\n#Звони 8-800-7000-600.\n"
                "#Круглосуточно: 8-800-7000-600, а в опасности 112.\n"
                "#Звони 112; женщинам поможет и 8-800-7000-600.\n")
        self.assertEqual(self.help_lines(text), [3, 4])

    def test_dialogues_without_a_mark_are_not_looked_at(self):
        self.assertEqual(self.help_lines("$привет\n#Привет!\n"), [])


class Concepts(unittest.TestCase):
    def error(self, text, name="01-test.txt"):
        with self.assertRaises(build_base.SourceError) as caught:
            build_base.parse_topic_text(name, text)
        return str(caught.exception)

    def test_marks_and_the_catch_all_only_where_they_mean_something(self):
        for text, message in (
                ("$привет\n$[срочно]\n#Привет.\n", "01-test.txt:2: [срочно] marks a dialogue "
                                                   "only as its first trigger"),
                ("$*\n#Что угодно.\n", "01-test.txt:1: $* answers anything"),
                ("$а\n$*\n#Б.\n", "01-test.txt:2: $* answers anything")):
            with self.subTest(text=text):
                self.assertIn(message, self.error(text))
        dialogue, = build_base.parse_topic_text(
            "01-test.txt", "$[срочно]\n$& @шутка\n#Звони 112.\n$*\n#Звони 112.\n")
        self.assertEqual(build_base.urgency(dialogue), "[срочно]")

    def test_a_shared_block_adds_the_turns_a_dialogue_lacks(self):
        text = ("=после\n$да\n$ага\n$спасибо\n#Хорошо. 112.\n$*\n#Я здесь. 112.\n\n"
                "$[срочно]\n$мне плохо\n#Звони 112. Рядом кто-то есть?\n$да\n#Позови его. 112.\n"
                "+после\n")
        dialogue, = build_base.parse_topic_text("01-test.txt", text)
        self.assertEqual(dialogue.lines(),
                         ["$[срочно]", "$мне плохо", "#Звони 112. Рядом кто-то есть?", "$да",
                          "#Позови его. 112.", "$спасибо", "#Хорошо. 112.", "$*",
                          "#Я здесь. 112.", "#END"],
                         "«ага» is a yes, which the dialogue's own turn takes")
        self.assertIn("no shared block 'нет'", self.error("$а\n#б\n+нет\n"))

    def test_concept_lines_and_names(self):
        parse = build_base.parse_concepts_text
        classes = parse("concepts.txt", "# близкие\n@близкий=друг, @семья\n!@смерть=суицид\n")
        self.assertEqual([(name, body) for _, name, body, _ in classes],
                         [("@близкий", ["друг", "@семья"]), ("@смерть", ["суицид"])])
        for text, message in (
                ("близкий=друг\n", "concepts.txt:1: a line is @name=entry"),
                ("@а=друг,\n", "concepts.txt:1: an empty entry"),
                ("@а=Друг\n", "write 'Друг' folded"),
                ("@а=ёж\n", "write 'ёж' folded"),
                ("@а=б, б\n", "an entry is given twice"),
                ("@а=б\n@а=в\n", "concepts.txt:2: @а is already defined at concepts.txt:1")):
            with self.subTest(text=text):
                with self.assertRaises(build_base.SourceError) as caught:
                    parse("concepts.txt", text)
                self.assertIn(message, str(caught.exception))
        for text, message in (("@а=@б\n", "@б is not defined"),
                              ("@а=x, @б\n@б=@а\n", "@а contains itself")):
            with self.subTest(text=text):
                with self.assertRaises(build_base.SourceError) as caught:
                    build_base.check_concepts(parse("concepts.txt", text))
                self.assertIn(message, str(caught.exception))


class SensesAndRepeats(unittest.TestCase):
    def test_seeing_hearing_and_a_sentence_told_twice(self):
        joke = "#Кот пришёл домой и залаял от радости.\n"
        for sources, expected in (
                ({"01-a.txt": "$привет\n#Привет! Рад тебя видеть.\n#Ку! Очень рад вас видеть!\n"},
                 ["01-a.txt:2", "01-a.txt:3"]),
                ({"01-a.txt": "$ты умный\n#Спасибо! Это видно?\n#Сладкоежку видно сразу.\n"
                              "#Слушаю тебя.\n#Вижу! Точнее, читаю.\n#Про игры слушать люблю.\n"
                              "#Я люблю слушать рассказы.\n"},
                 ["01-a.txt:2", "01-a.txt:3", "01-a.txt:4", "01-a.txt:5", "01-a.txt:6",
                  "01-a.txt:7"]),
                ({"01-a.txt": "$устал\n#Видно, ты устал.\n#Вижу, тебе весело.\n#Я не вижу и не слышу.\n"
                              "#Приятно слышать!\n#Что ты любишь слушать?\n"
                              "#Это видно по мелочам: человек улыбается.\n#Слушай врача.\n"},
                 []),
                ({"00-help.txt": "$[срочно]\n$плохо\n#Слышу тебя. Звони 112.\n"},
                 ["00-help.txt:3"]),
                ({"01-a.txt": "$анекдот\n" + joke, "02-b.txt": "$шутка\n#Ха! " + joke[1:]},
                 ["02-b.txt:2"]),
                ({"01-a.txt": "$анекдот\n" + joke + "\n$ещё\n" + joke}, []),
                ({"01-a.txt": "$загадка\n#Зимой и летом одним цветом, что это?\n",
                  "02-b.txt": "$ещё\n#Зимой и летом одним цветом, что это?\n"}, []),
                ({"01-a.txt": "$а\n#Кот пришёл домой и залаял.\n", "02-b.txt": "$б\n" + joke},
                 []),
                ({"00-help.txt": "$[срочно]\n$плохо\n"
                                 "#Позвони 112, это бесплатно и можно с любого телефона.\n",
                  "01-a.txt": "$страшно\n#Позвони 112, это бесплатно и можно с любого телефона.\n"},
                 [])):
            with self.subTest(sources=sources):
                dialogues = [d for name, text in sources.items()
                             for d in build_base.parse_topic_text(name, text)]
                found = [f.split(": ")[0] for f in build_base.lint(dialogues)
                         if "see nor hear" in f or "tell it once" in f]
                self.assertEqual(found, expected)


class Build(unittest.TestCase):
    def build(self, sources, *arguments):
        """(status, stderr lines, the base folder) of a build from these topic files."""
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        source_dir = pathlib.Path(folder.name, "sources")
        source_dir.mkdir()
        for name, text in sources.items():
            (source_dir / name).write_text(text, encoding="utf-8")
        out = pathlib.Path(folder.name, "base")
        errors = io.StringIO()
        old = build_base.SOURCE_DIR, sys.argv
        build_base.SOURCE_DIR = source_dir
        sys.argv = ["build-base.py", "--out", str(out), *arguments]
        try:
            with contextlib.redirect_stderr(errors), contextlib.redirect_stdout(io.StringIO()):
                status = build_base.main()
        finally:
            build_base.SOURCE_DIR, sys.argv = old
        return status, errors.getvalue().splitlines(), out

    def test_the_build_reports_every_finding_and_writes_nothing(self):
        status, reported, out = self.build({"01-a.txt": "$привет\n#Ты готов?\n",
                                            "02-b.txt": "$пока\n#Пока!\n"})
        self.assertEqual(status, 1)
        self.assertFalse(out.exists())
        self.assertEqual([line.split(" ")[0] for line in reported[:-1]],
                         ["01-a.txt:2:", "01-a.txt:2:"])

    def test_triggers_that_fold_alike_where_the_earlier_one_answers(self):
        for sources, message in (
                ({"01-a.txt": "$ёлка\n#Да.\n", "02-b.txt": "$елка!\n#Нет.\n"},
                 "02-b.txt:1: opener 'елка!' reads as 'елка', like an opener of the "
                 "dialogue at 01-a.txt:1"),
                ({"01-a.txt": "$как дела\n#Хорошо. А у тебя?\n$ёлки, плохо\n$елки плохо\n#Ох.\n"},
                 None),
                ({"01-a.txt": "$как дела\n$как дела?\n#А у тебя?\n$как дела!\n#Хорошо.\n"},
                 "01-a.txt:1: turn 2 trigger 'как дела!' reads as 'как дела', like a trigger of "
                 "turn 1"),
                ({"01-a.txt": "$да\n#Чаю?\n$спасибо, нет\n#Ладно.\n",
                  "02-b.txt": "$спасибо нет\n#Хорошо.\n"},
                 "01-a.txt:1: turn trigger 'спасибо, нет' reads like the opener 'спасибо нет' "
                 "of the dialogue at 02-b.txt:1"),
                ({"01-a.txt": "$да\n#Чаю?\n$что ты умеешь\n#Наливать.\n",
                  "02-b.txt": "$* что ты умеешь *\n#Болтать.\n"},
                 None),
                ({"01-a.txt": "$* анекдот\n#Ха.\n", "02-b.txt": "$анекдот!\n#Хо.\n"},
                 "02-b.txt:1: opener 'анекдот!' reads as 'анекдот', like an opener of the "
                 "dialogue at 01-a.txt:1"),
                ({"01-a.txt": "$сколько будет 0+0\n#Сколько?\n$0\n#Верно.\n",
                  "02-b.txt": "$:0\n#Ого.\n"},
                 None)):
            with self.subTest(sources=sources):
                status, reported, _ = self.build(sources)
                if message is None:
                    self.assertEqual(reported, [])
                else:
                    self.assertEqual(status, 1)
                    self.assertIn(message, reported[0])

    def test_concepts_are_built_and_every_name_a_trigger_uses_is_defined(self):
        topics = {"01-a.txt": "$& @близкий -@игра\n#Ага.\n"}
        status, reported, _ = self.build(topics)
        self.assertEqual(status, 1)
        self.assertIn("01-a.txt:1: @близкий is not defined", reported[0])
        status, _, out = self.build({**topics, "concepts.txt": "@близкий=друг, брат\n",
                                     "concepts-more.txt": "@игра=игра, @близкий\n"})
        self.assertEqual(status, 0)
        self.assertEqual((out / "concepts.tmb").read_bytes(),
                         "@игра=игра, @близкий\r\n@близкий=друг, брат\r\n".encode("cp1251"))

    def test_words_become_words_tmb_and_part_of_the_version(self):
        topics = {"01-a.txt": "$привет\n#Привет!\n"}
        status, _, without = self.build(topics)
        self.assertEqual(status, 0)
        self.assertFalse((without / "words.tmb").exists())
        status, _, out = self.build({**topics, "words.txt": "# «ну привет»\nну=\nщас=сейчас\n"})
        self.assertEqual(status, 0)
        self.assertEqual((out / "words.tmb").read_bytes(),
                         "ну=\r\nщас=сейчас\r\n".encode("cp1251"))
        self.assertNotEqual((out / "version").read_bytes(), (without / "version").read_bytes())


if __name__ == "__main__":
    unittest.main()
