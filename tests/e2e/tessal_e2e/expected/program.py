"""Facts that the program states once, in its own sources, read from there: the tests' model of a
run must expect what the program does, not a copy of it that can drift."""

from __future__ import annotations

import re

from ..machine import REPO

DEPLOYMENTS_H = REPO / "setup" / "deployments.h"


def _wide_text(literal: str) -> str:
    """The text of a C++ wide string literal's body, whose only escape here is "\\\\"."""
    return literal.replace("\\\\", "\\")


def deployments() -> list[tuple[str, str, str]]:
    """kDeployments: (below the distribution, "jdk" or "tomcat", below that product's folder)."""
    rows = re.findall(r'\{L"\\\\([^"]*)",\s*Base::k(JavaHome|TomcatHome),\s*L"\\\\([^"]*)"\}',
                      DEPLOYMENTS_H.read_text(encoding="utf-8"))
    if len(rows) != 12:
        raise AssertionError(f"{DEPLOYMENTS_H}: {len(rows)} deployment rows read, not 12")
    return [(_wide_text(source), "jdk" if base == "JavaHome" else "tomcat", _wide_text(destination))
            for source, base, destination in rows]


def class_path_suffixes() -> list[str]:
    """kClassPathSuffixes, each entry as the program appends it to the Tomcat folder."""
    text = DEPLOYMENTS_H.read_text(encoding="utf-8")
    body = re.search(r"kClassPathSuffixes\{(.*?)\};", text, re.S)[1]
    return [_wide_text(suffix) for suffix in re.findall(r'L"([^"]*)"', body)]
