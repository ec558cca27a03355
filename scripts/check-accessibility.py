#!/usr/bin/python3
"""Uses the search tab of a running kivlogs the way a screen reader does,
through AT-SPI only: every control is found by its role and name, a word is
typed into the word box, the scope "Tout" and the typed-words search are
pressed, and the results are read back from the results view.
Run by scripts/check-accessibility.sh."""

import sys
import time

import pyatspi

CONTROLS = [
    ("push button", "Enregistrer"),
    ("push button", "Effacer"),
    ("push button", "Imprimer"),
    ("push button", "Rechercher"),
    ("push button", "Rechercher avec ces mots -->"),
    ("push button", "Modifier mots recherchés par défaut"),
    ("radio button", "Mois"),
    ("radio button", "Jour"),
    ("radio button", "Tout"),
    ("text", "Mots recherchés"),
    ("text", "Résultats de la recherche"),
]


def find_app(name, tries=100):
    for _ in range(tries):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    names = [app.name for app in pyatspi.Registry.getDesktop(0) if app is not None]
    sys.exit(f"no application {name!r} on the accessibility bus (there are {names!r})")


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def find(app, role, name):
    for node in walk(app):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Toggle", "toggle"):
            action.doAction(i)
            return
    action.doAction(0)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def main():
    app = find_app(sys.argv[1] if len(sys.argv) > 1 else "Kiv Logs")
    missing = [f"{role} {name!r}" for role, name in CONTROLS if find(app, role, name) is None]
    if missing:
        sys.exit("not reachable through AT-SPI: " + ", ".join(missing))
    print(f"{len(CONTROLS)} controls found by role and name")

    press(find(app, "radio button", "Tout"))
    words = find(app, "text", "Mots recherchés")
    words.queryEditableText().setTextContents("jeu")
    if text_of(words) != "jeu":
        sys.exit("the word box did not take the typed word")
    press(find(app, "push button", "Rechercher avec ces mots -->"))

    results = find(app, "text", "Résultats de la recherche")
    lines = []
    for _ in range(100):
        lines = [line for line in text_of(results).split("\n") if line]
        if lines and find(app, "push button", "Rechercher").getState().contains(pyatspi.STATE_ENABLED):
            break
        time.sleep(0.1)
    if not lines or not all("jeu" in line.lower() for line in lines):
        sys.exit(f"the results view reads {lines[:3]!r}")
    print(f"{len(lines)} result lines read from the results view, first: {lines[0]}")


if __name__ == "__main__":
    main()
