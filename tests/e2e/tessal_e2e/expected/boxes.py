"""The message boxes of setup.exe, and the failure report, whose text holds the system's own
description of the failure."""

from __future__ import annotations

import dataclasses
import re

from ..runs import Box

QUESTION = Box("setup", "セットアップを開始してよろしいですか？", 68)
COMPLETED = Box("setup", "セットアップが完了しました。", 64)
ALREADY_RUNNING = Box("警告", "setup.exeは既に起動されています。", 16)
NO_JDK = Box("setup", "Java 2 SDK 1.4がインストールされていません。\r先にインストールを行って下さい。", 16)
NO_TOMCAT = Box("setup",
                "Apache Tomcat 4.1.40がインストールされていません。\r先にインストールを行って下さい。",
                16)
NO_DATA_SOURCE = Box("setup", "データソースTESSALが登録されませんでした。", 16)


@dataclasses.dataclass(frozen=True)
class FailureReport:
    """The report of a failure that no routine trapped, in a box or as a line of the log: its
    number (any, for None), the system's description, and on a line of its own the file that the
    failed operation concerned."""
    number: int | None
    subject: str

    def _code(self) -> str:
        return r"\d+" if self.number is None else str(self.number)

    def fullmatch(self, text: str) -> re.Match | None:
        return re.fullmatch(rf"実行時エラー '{self._code()}':\r\n\r\n[^\r\n]+\r\n"
                            + re.escape(self.subject), text)

    def log_line(self) -> re.Pattern:
        """The same report as a line of the log, where each run of line breaks is a " | "."""
        return re.compile(rf"message 16 \[setup\] 実行時エラー '{self._code()}': \| [^|]+ \| "
                          + re.escape(self.subject))

    def __str__(self) -> str:
        return f"the failure report of {self.number or 'any number'} naming {self.subject}"


def usage(mistake: str) -> Box:
    return Box("setup", f"引数「{mistake}」が正しくありません。\r\r"
                        "使い方: setup.exe [/verify] [/quiet] [/log ファイル名]\r"
                        "/verify: セットアップと異なる点を調べます。何も変更しません。\r"
                        "/quiet (/q): メッセージを表示せずにセットアップを行います。\r"
                        "/log: セットアップの記録をファイルに書き込みます。", 16)


def of_completion(odbc: bool) -> list[Box]:
    """The boxes of a run that goes to its end, answered Yes: the data source reported as not
    registered without an Access driver that takes it."""
    return [QUESTION] + ([] if odbc else [NO_DATA_SOURCE]) + [COMPLETED]
