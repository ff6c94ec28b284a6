#!/usr/bin/env python3
"""Lists what a screen reader sees of the running Quillory through AT-SPI and checks it.

usage: a11y-tree.py desk|form|password|fristen [timeout seconds]
       a11y-tree.py tab <form title> [rows] [timeout seconds]
  desk      the desk window and its named hot-spot buttons
  form      the doctors form: named text fields and the picture buttons OK and Abbruch
  password  the password dialog: its two fields reported as password text
  fristen   the overview "Fristen": its list by name, the first row read out with its mark
  tab       walks the form's Tab order (pressing Tab through xdotool): every editable field is
            reached, its name non-empty and unique; with "rows", the fields come row by row as
            drawn, left to right
Prints the tree (role, name) of the checked window; exits 1 when something is missing.
"""
import subprocess
import sys
import time

import pyatspi

HOT_SPOTS = [
    "Persönliches", "Wichtige Nummern", "Ärzte", "Bankgeschäfte", "Softwareregistrierung",
    "Online", "Seriennummern", "Fahrzeugschein/brief", "Frei definierbare Felder",
    "Programm beenden", "Information", "Hilfe", "Backup", "Paßwort vergeben",
    "Paßwort löschen", "Minimieren", "Fristen", "Suchen", "Verträge",
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


EDITABLE_ROLES = ("text", "password text", "entry")


def editable(node):
    try:
        return node.getRoleName() in EDITABLE_ROLES and \
            node.getState().contains(pyatspi.STATE_EDITABLE)
    except Exception:
        return False


def focused(top):
    for _, _, _, node in walk(top):
        try:
            if node.getState().contains(pyatspi.STATE_FOCUSED) and node != top:
                return node
        except Exception:
            pass
    return None


def place(node):
    """Where a control is: its index among the window's controls, and its top-left corner."""
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return node.getIndexInParent(), box.y, box.x


def tab_walk(title, rows, limit):
    app = application(limit)
    top = window(app, title, limit) if app is not None else None
    if top is None:
        print(f"a11y: no window '{title}'", file=sys.stderr)
        return 1
    every = [n for _, _, _, n in walk(top) if editable(n)]
    order, start, last = [], None, None
    for _ in range(4 * len(every) + 40):
        subprocess.run(["xdotool", "key", "Tab"], check=False)
        node, end = None, time.time() + 2
        while time.time() < end:
            node = focused(top)
            if node is not None and (last is None or place(node)[0] != last):
                break
            time.sleep(0.05)
        if node is None:
            break
        here = place(node)
        last = here[0]
        if start is None:
            start = here[0]
        elif here[0] == start:
            break
        if editable(node):
            order.append((node.name, here))
    names = [name for name, _ in order]
    problems = []
    if len(order) != len(every):
        problems.append(f"{len(every)} editable fields, {len(order)} reached by Tab")
    problems += [f"field without a name at {p}" for name, p in order if not name.strip()]
    problems += sorted({f"name '{n}' twice" for n in names if n and names.count(n) > 1})
    if rows and order:
        # The walk began wherever the focus was: read it from the top-left field on.
        first = min(range(len(order)), key=lambda i: (order[i][1][1], order[i][1][2]))
        drawn = order[first:] + order[:first]
        for (a, pa), (b, pb) in zip(drawn, drawn[1:]):
            same_row = abs(pa[1] - pb[1]) <= 4
            if (same_row and pb[2] < pa[2]) or (not same_row and pb[1] < pa[1]):
                problems.append(f"Tab goes from '{a}' back to '{b}'")
    print(f"a11y: '{title}': {len(order)} fields in Tab order: " + " | ".join(names))
    if problems:
        print(f"a11y: '{title}': " + "; ".join(problems), file=sys.stderr)
        return 1
    return 0


def main():
    mode = sys.argv[1]
    if mode == "tab":
        rows = len(sys.argv) > 3 and sys.argv[3] == "rows"
        return tab_walk(sys.argv[2], rows, float(sys.argv[-1]) if len(sys.argv) > 4 else 20)
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
