"""Finds a control of a running Quillo window through the accessibility bus.

    a11y.py center ROLE NAME [INDEX]   prints the control's centre on screen: "X Y"
    a11y.py selected ROLE NAME         prints the control's child count, a tab,
                                       and the names of its selected children

ROLE and NAME as the bus shows them ("push button" "Save", "page tab" "File
List"); INDEX picks among several matches in tree order (0 first). Waits up to
ten seconds for the control to appear; exits 1 when it does not.
"""
import sys
import time

import pyatspi


def matches(root, role, name):
    found = []

    def walk(node, depth):
        if node is None or depth > 12:
            return
        try:
            if node.getRoleName() == role and node.name == name:
                found.append(node)
            children = list(node)
        except Exception:  # a node that went away while walking
            return
        for child in children:
            walk(child, depth + 1)

    walk(root, 0)
    return found


def find(role, name, index):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and (app.name or "").startswith("quillo"):
            found = matches(app, role, name)
            if len(found) > index:
                return found[index]
    return None


def selected(role, name):
    for _ in range(100):
        node = find(role, name, 0)
        if node is not None:
            names = []
            count = node.childCount
            for i in range(count):
                child = node.getChildAtIndex(i)
                if child is not None and child.getState().contains(pyatspi.STATE_SELECTED):
                    names.append(child.name)
            print("%d\t%s" % (count, "|".join(names)))
            return 0
        time.sleep(0.1)
    print("not found: %s %r" % (role, name), file=sys.stderr)
    return 1


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "selected":
        return selected(sys.argv[2], sys.argv[3])
    if len(sys.argv) < 4 or sys.argv[1] != "center":
        print(__doc__, file=sys.stderr)
        return 2
    role, name = sys.argv[2], sys.argv[3]
    index = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    for _ in range(100):
        node = find(role, name, index)
        if node is not None:
            box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            if box.width > 0 and box.height > 0:
                print(box.x + box.width // 2, box.y + box.height // 2)
                return 0
        time.sleep(0.1)
    print("not found: %s %r" % (role, name), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
