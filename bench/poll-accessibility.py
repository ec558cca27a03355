#!/usr/bin/python3
"""Asks a running Kiv Logs over the accessibility bus what a screen reader
asks while results arrive: how many characters the results view holds and
the line at its caret. Each answer comes from the window's own thread, so
the time a question waits for its answer is how long the window keeps a
screen reader (and the staff behind it) waiting.

  poll-accessibility.py APP-NAME

Prints "ready" once the results view is found, then polls, a question every
5 ms, until its standard input closes; then prints one line:
"answers N slowest MS median MS p99 MS"."""

import select
import sys
import time

import pyatspi


def find_app(name, tries=200):
    for _ in range(tries):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    sys.exit(f"no application {name!r} on the accessibility bus")


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def results_view(app):
    for node in walk(app):
        if node.getRoleName() == "text" and node.name == "Résultats de la recherche":
            return node.queryText()
    sys.exit("the results view is not reachable over the accessibility bus")


def main():
    text = results_view(find_app(sys.argv[1] if len(sys.argv) > 1 else "Kiv Logs"))
    print("ready", flush=True)
    times = []
    while True:
        ready, _, _ = select.select([sys.stdin], [], [], 0.005)
        if ready and not sys.stdin.readline():
            break
        start = time.perf_counter()
        count = text.characterCount
        text.getTextAtOffset(max(0, min(text.caretOffset, count)), pyatspi.TEXT_BOUNDARY_LINE_START)
        times.append((time.perf_counter() - start) * 1000)
    times.sort()
    if not times:
        print("answers 0 slowest 0 median 0 p99 0", flush=True)
        return
    print(f"answers {len(times)} slowest {times[-1]:.1f} median {times[len(times) // 2]:.2f} "
          f"p99 {times[min(len(times) - 1, len(times) * 99 // 100)]:.1f}", flush=True)


if __name__ == "__main__":
    main()
