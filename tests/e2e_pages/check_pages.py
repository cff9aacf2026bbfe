#!/usr/bin/env python3
"""Checks the data files that ship beside the program.

    check_pages.py SOURCE_DIR
    check_pages.py --page FILE...

- data/cours/morvath.html and data/cours/vindrel.html: well-formed HTML5
  (balanced tags, no duplicate id), every internal link resolves, nothing
  external is loaded, French typography (no plain blank before : ; ? !,
  guillemets with non-breaking spaces), and every worked example quotes a
  catalogue system with its exact components.
- data/vindrel.txt: Windows-1252, CR LF after every line, whole records of
  three lines, at most 60 records, the new-system entry first, short unique
  names, components without blanks.

--page: the same HTML checks on pages vindrel-analyse --report wrote (any
title), and nothing fetched from outside: no http: or https: at all.

Prints one line per fault and exits with 1 when there is any.
"""

import re
import sys
from html.parser import HTMLParser
from pathlib import Path

PAGES = {
    "morvath.html": "Rappels théoriques",
    "vindrel.html": "Informations",
}
NEW_SYSTEM = "Nouveau système"
MAX_RECORDS = 60
MAX_NAME = 40

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
        "meta", "source", "track", "wbr"}
# Elements whose text is not prose (code, drawings, style).
NOT_PROSE = {"code", "pre", "kbd", "samp", "var", "style", "svg", "script"}
HTML_TAGS = {
    "html", "head", "body", "title", "meta", "style", "header", "footer",
    "nav", "main", "section", "article", "aside", "h1", "h2", "h3", "h4",
    "p", "ul", "ol", "li", "dl", "dt", "dd", "a", "em", "strong", "i", "b",
    "sub", "sup", "code", "pre", "kbd", "samp", "var", "span", "div",
    "figure", "figcaption", "table", "thead", "tbody", "tr", "th", "td",
    "caption", "br", "hr", "abbr", "blockquote", "small", "math", "mark",
    "details", "summary",
}
SVG_TAGS = {
    "svg", "g", "path", "line", "polyline", "polygon", "rect", "circle",
    "ellipse", "text", "tspan", "defs", "marker", "use", "title", "desc",
    "clippath",
}


class PageParser(HTMLParser):
    """Collects ids, links, resources and typography faults of one page."""

    def __init__(self, name, faults):
        super().__init__(convert_charrefs=True)
        self.name = name
        self.faults = faults
        self.stack = []
        self.ids = {}
        self.links = []
        self.title = ""
        self.examples = []
        self.saw_doctype = False
        self.lang = None
        self.charset = None

    def fault(self, text):
        line, _ = self.getpos()
        self.faults.append(f"{self.name}:{line}: {text}")

    def in_svg(self):
        return "svg" in self.stack

    def handle_decl(self, decl):
        if decl.lower() == "doctype html":
            self.saw_doctype = True

    def handle_starttag(self, tag, attrs):
        self.open_tag(tag, attrs)
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        self.open_tag(tag, attrs)
        if tag not in VOID and not self.in_svg() and tag != "svg":
            self.fault(f"<{tag}/> ne peut pas se fermer lui-même en HTML")

    def open_tag(self, tag, attrs):
        known = SVG_TAGS if self.in_svg() or tag == "svg" else HTML_TAGS | VOID
        if tag not in known:
            self.fault(f"balise inconnue <{tag}>")
        a = dict(attrs)
        if tag == "html":
            self.lang = a.get("lang")
        if tag == "meta" and "charset" in a:
            self.charset = (a["charset"] or "").lower()
        if "id" in a:
            if a["id"] in self.ids:
                self.fault(f"id en double : {a['id']}")
            self.ids[a["id"]] = self.getpos()[0]
        for key in ("src", "srcset", "data", "xlink:href", "poster", "action"):
            if key in a:
                self.fault(f"ressource externe : {key}=\"{a[key]}\"")
        if "href" in a:
            href = a["href"] or ""
            if href.startswith("#"):
                self.links.append((href[1:], self.getpos()[0]))
            else:
                self.fault(f"lien hors de la page : href=\"{href}\"")
        if "style" in a and "url(" in (a["style"] or ""):
            self.fault("url() dans un attribut style")
        if tag == "div" and "exemple" in (a.get("class") or "").split():
            self.examples.append((a.get("data-systeme"), a.get("data-p"),
                                  a.get("data-q"), self.getpos()[0]))

    def handle_endtag(self, tag):
        if tag in VOID:
            self.fault(f"</{tag}> : élément vide")
            return
        if not self.stack or self.stack[-1] != tag:
            expected = self.stack[-1] if self.stack else "rien"
            self.fault(f"</{tag}> ferme <{expected}>")
            if tag in self.stack:
                while self.stack and self.stack.pop() != tag:
                    pass
            return
        self.stack.pop()

    def handle_data(self, data):
        if self.stack and self.stack[-1] == "title" and not self.in_svg():
            self.title += data
        if self.stack and self.stack[-1] == "style":
            for bad in re.findall(r"@import|url\((?!\s*['\"]?#)", data):
                self.fault(f"ressource externe dans le style : {bad}")
        if NOT_PROSE & set(self.stack):
            return
        for m in re.finditer(r"[ \t\n]([:;?!»])", data):
            self.fault(f"espace ordinaire avant « {m.group(1)} » : "
                       f"…{data[max(0, m.start() - 20):m.end()].strip()}")
        for m in re.finditer(r"«(?![\u00a0\u202f])", data):
            self.fault(f"« sans espace insécable : …{data[m.start():m.start() + 20]}")
        for m in re.finditer(r"(?<![\u00a0\u202f])»", data):
            self.fault(f"» sans espace insécable : …{data[max(0, m.start() - 20):m.end()]}")
        if '"' in data:
            self.fault("guillemet droit \" dans le texte (utiliser « »)")

    def finish(self):
        self.close()
        if self.stack:
            self.fault(f"balises non fermées : {', '.join(self.stack)}")


def check_page(path, expected_title, catalogue, faults):
    name = path.name
    try:
        text = path.read_bytes().decode("utf-8")
    except (OSError, UnicodeDecodeError) as err:
        faults.append(f"{name}: illisible en UTF-8 : {err}")
        return
    parser = PageParser(name, faults)
    parser.feed(text)
    parser.finish()
    if not parser.saw_doctype:
        faults.append(f"{name}: pas de <!DOCTYPE html>")
    if parser.lang != "fr":
        faults.append(f"{name}: <html lang=\"fr\"> attendu")
    if parser.charset != "utf-8":
        faults.append(f"{name}: <meta charset=\"utf-8\"> attendu")
    if expected_title is None:
        if not parser.title.strip():
            faults.append(f"{name}: titre vide")
        for m in re.finditer(r"https?:", text):
            faults.append(f"{name}: adresse externe : …{text[max(0, m.start() - 30):m.end() + 30]}")
    elif parser.title.strip() != expected_title:
        faults.append(f"{name}: titre « {parser.title.strip()} » au lieu de « {expected_title} »")
    for target, line in parser.links:
        if target not in parser.ids:
            faults.append(f"{name}:{line}: lien #{target} sans id correspondant")
    for system, p, q, line in parser.examples:
        if catalogue is None:
            break
        if system not in catalogue:
            faults.append(f"{name}:{line}: exemple « {system} » absent du catalogue")
        elif catalogue[system] != (p, q):
            faults.append(f"{name}:{line}: exemple « {system} » : composantes {p} / {q}, "
                          f"catalogue {catalogue[system][0]} / {catalogue[system][1]}")


def check_catalogue(path, faults):
    """Returns {name: (P, Q)} when the file can be read, else None."""
    name = path.name
    try:
        raw = path.read_bytes()
    except OSError as err:
        faults.append(f"{name}: illisible : {err}")
        return None
    if not raw.endswith(b"\r\n"):
        faults.append(f"{name}: la dernière ligne ne finit pas par CR LF")
    body = raw[:-2] if raw.endswith(b"\r\n") else raw
    lines = body.split(b"\r\n")
    for number, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            faults.append(f"{name}:{number}: fin de ligne autre que CR LF")
    try:
        texts = [line.decode("cp1252") for line in lines]
    except UnicodeDecodeError as err:
        faults.append(f"{name}: octet hors de Windows-1252 : {err}")
        return None
    if len(texts) % 3:
        faults.append(f"{name}: {len(texts)} lignes, pas un multiple de 3")
    records = [texts[i:i + 3] for i in range(0, len(texts) - len(texts) % 3, 3)]
    if len(records) > MAX_RECORDS:
        faults.append(f"{name}: {len(records)} systèmes, au plus {MAX_RECORDS}")
    if not records or records[0] != [NEW_SYSTEM, "", ""]:
        faults.append(f"{name}: le premier système doit être « {NEW_SYSTEM} » "
                      "avec deux composantes vides")
    if not raw.startswith(b"Nouveau syst\xe8me\r\n"):
        faults.append(f"{name}: « {NEW_SYSTEM} » doit commencer le fichier, è en octet E8")
    catalogue = {}
    for index, (system, p, q) in enumerate(records, 1):
        where = f"{name}:{3 * index - 2}"
        if not system.strip():
            faults.append(f"{where}: nom vide")
        if len(system) > MAX_NAME:
            faults.append(f"{where}: nom de plus de {MAX_NAME} caractères : {system}")
        if system in catalogue:
            faults.append(f"{where}: nom en double : {system}")
        for component in (p, q):
            if re.search(r"\s", component):
                faults.append(f"{where}: blanc dans la composante « {component} » de {system}")
        if index > 1 and not (p and q):
            faults.append(f"{where}: composante vide dans {system}")
        catalogue[system] = (p, q)
    return catalogue


def main(argv):
    if len(argv) >= 3 and argv[1] == "--page":
        faults = []
        for page in argv[2:]:
            check_page(Path(page), None, None, faults)
        for fault in faults:
            print(fault)
        return 1 if faults else 0
    if len(argv) != 2:
        print("usage : check_pages.py SOURCE_DIR", file=sys.stderr)
        return 2
    data = Path(argv[1]) / "data"
    faults = []
    catalogue = check_catalogue(data / "vindrel.txt", faults)
    for page, title in PAGES.items():
        check_page(data / "cours" / page, title, catalogue, faults)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
