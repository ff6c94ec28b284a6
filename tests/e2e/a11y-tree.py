#!/usr/bin/env python3
"""Lists what a screen reader sees of the running Quillory through AT-SPI and checks it.

usage: a11y-tree.py desk|form|password|fristen [timeout seconds]
  desk      the desk window and its named hot-spot buttons
  form      the doctors form: named text fields and the picture buttons OK and Abbruch
  password  the password dialog: its two fields reported as password text
  fristen   the overview "Fristen": its list by name, the first row read out with its mark
Prints the tree (role, name) of the checked window; exits 1 when something is missing.
"""
import sys
import time

import pyatspi

HOT_SPOTS = [
    "Persönliches", "Wichtige Nummern", "Ärzte", "Bankgeschäfte", "Softwareregistrierung",
    "Online", "Seriennummern", "Fahrzeugschein/brief", "Frei definierbare Felder",
    "Programm beenden", "Information", "Hilfe", "Backup", "Paßwort vergeben",
    "Paßwort löschen", "Minimieren", "Fristen", "Suchen",
]
DOCTOR_FIELDS = ["Hausarzt: Name", "Hausarzt: Adresse", "Spezialarzt 1: Name",
                 "Spezialarzt 2: Fax"]


def application(limit):
    end = time.time() + limit
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Quillory":
                return app
        time.sleep(0.2)
    return None


def walk(node, depth=0, out=None):
    out = [] if out is None else out
    try:
        out.append((depth, node.getRoleName(), node.name, node))
        for child in node:
            if child is not None:
                walk(child, depth + 1, out)
    except Exception:  # a node that went away while we looked
        pass
    return out


def window(app, name, limit):
    end = time.time() + limit
    while time.time() < end:
        for child in app:
            if child is not None and child.name == name:
                return child
        time.sleep(0.2)
    return None


def show(nodes):
    for depth, role, name, _ in nodes:
        print("  " * depth + f"[{role}] {name}")


def main():
    mode = sys.argv[1]
    limit = float(sys.argv[2]) if len(sys.argv) > 2 else 20
    app = application(limit)
    if app is None:
        print("a11y: Quillory not on the accessibility bus", file=sys.stderr)
        return 1
    title = {"desk": "Quillory Version 1.0", "form": "Ärzte", "password": "Paßworteingabe",
             "fristen": "Fristen"}[mode]
    top = window(app, title, limit)
    if top is None:
        print(f"a11y: no window '{title}'; windows: {[c.name for c in app]}", file=sys.stderr)
        return 1
    nodes = walk(top)
    show(nodes)
    missing = []
    if mode == "desk":
        buttons = {name for _, role, name, _ in nodes if role == "push button"}
        missing = [n for n in HOT_SPOTS if n not in buttons]
    elif mode == "form":
        fields = {name for _, role, name, _ in nodes if role in ("text", "entry")}
        buttons = {name for _, role, name, _ in nodes if role == "push button"}
        missing = [n for n in DOCTOR_FIELDS if n not in fields]
        missing += [n for n in ("OK", "Abbruch") if n not in buttons]
    elif mode == "fristen":
        lists = [n for _, role, name, n in nodes if name == "Fristen" and role != "dialog"]
        names = [name for _, _, name, _ in nodes]
        missing = [] if lists else ["list 'Fristen'"]
        missing += [] if any(n.startswith("Abgelaufen, ") for n in names) else ["row 'Abgelaufen, ...'"]
        missing += [n for n in ("In Kalender exportieren", "Schließen") if n not in names]
    else:
        masked = {name for _, role, name, _ in nodes if role == "password text"}
        missing = [n for n in ("Paßwort", "Paßwort bestätigen") if n not in masked]
    if missing:
        print(f"a11y: missing in '{title}': {missing}", file=sys.stderr)
        return 1
    print(f"a11y: '{title}' complete")
    return 0


if __name__ == "__main__":
    sys.exit(main())
