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


class MissingYo(unittest.TestCase):
    def test_words_always_written_with_yo(self):
        text = ("$еще раз\n$о чем думаешь\n$всё хорошо\n$все пришли\n$чем занимаешься\n"
                "$=еще\n$ну, все равно\n$ёлка\n#Ответ.\n")
        self.assertEqual(lines(build_base.lint_missing_yo, text), [1, 2, 7])
        self.assertIn("«ещё»", findings(build_base.lint_missing_yo, text)[0][1])


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


class Build(unittest.TestCase):
    def test_the_build_reports_every_finding_and_writes_nothing(self):
        with tempfile.TemporaryDirectory() as folder:
            sources = pathlib.Path(folder, "sources")
            sources.mkdir()
            (sources / "01-a.txt").write_text("$еще\n#Ты готов?\n", encoding="utf-8")
            (sources / "02-b.txt").write_text("$привет\n#Привет!\n", encoding="utf-8")
            out = pathlib.Path(folder, "base")
            errors = io.StringIO()
            old = build_base.SOURCE_DIR, sys.argv
            build_base.SOURCE_DIR = sources
            sys.argv = ["build-base.py", "--out", str(out)]
            try:
                with contextlib.redirect_stderr(errors):
                    status = build_base.main()
            finally:
                build_base.SOURCE_DIR, sys.argv = old
            self.assertEqual(status, 1)
            self.assertFalse(out.exists())
            reported = errors.getvalue().splitlines()
            self.assertEqual([line.split(" ")[0] for line in reported[:-1]],
                             ["01-a.txt:1:", "01-a.txt:2:", "01-a.txt:2:"])


if __name__ == "__main__":
    unittest.main()
