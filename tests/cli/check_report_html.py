#!/usr/bin/env python3
"""Reads a report page as a browser's parser does and says what is wrong with
it: tags that do not close, anything that runs or is fetched from elsewhere, a
charset other than the one written, bold that is not the watched words, a
missing print style. Usage: check_report_html.py FILE CHARSET BOLD..."""
import sys
from html.parser import HTMLParser

VOID = {"meta", "br", "hr", "img", "link", "input", "col", "wbr"}
FORBIDDEN = {"script", "link", "img", "iframe", "object", "embed", "base", "form"}


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.problems, self.bold, self.text = [], [], [], []
        self.charset, self.style, self.doctype = None, "", False

    def handle_decl(self, decl):
        self.doctype = self.doctype or decl.lower() == "doctype html"

    def handle_starttag(self, tag, attrs):
        if tag in FORBIDDEN:
            self.problems.append("forbidden element <%s>" % tag)
        for name, value in attrs:
            if name in ("src", "href", "action") or name.startswith("on"):
                self.problems.append("attribute %s=%r on <%s>" % (name, value, tag))
            if tag == "meta" and name == "charset":
                self.charset = value
        if tag not in VOID:
            self.stack.append(tag)
        if tag == "b":
            self.bold.append("")

    def handle_endtag(self, tag):
        if not self.stack or self.stack[-1] != tag:
            self.problems.append("</%s> closes %s" % (tag, self.stack[-1:] or "nothing"))
            return
        self.stack.pop()

    def handle_data(self, data):
        if "b" in self.stack:
            self.bold[-1] += data
        if self.stack[-1:] == ["style"]:
            self.style += data
        self.text.append(data)


def main():
    path, charset, bold = sys.argv[1], sys.argv[2], sys.argv[3:]
    page = Page()
    page.feed(open(path, "rb").read().decode(charset))
    page.close()
    problems = page.problems
    if not page.doctype:
        problems.append("no <!DOCTYPE html>")
    if page.stack:
        problems.append("unclosed: %s" % page.stack)
    if (page.charset or "").lower() != charset.lower():
        problems.append("declares %r, written in %r" % (page.charset, charset))
    if page.bold != bold:
        problems.append("bold %r instead of %r" % (page.bold, bold))
    if "@media print" not in page.style:
        problems.append("no print style")
    if "url(" in page.style or "@import" in page.style:
        problems.append("the style fetches something")
    for line in problems:
        print(line)
    # The page's text, for the test to compare with the log lines.
    sys.stdout.write("TEXT " + "".join(page.text).replace("\n", " ") + "\n")
    return 1 if problems else 0


sys.exit(main())
