#!/usr/bin/python3
"""Lists the entries of an applications menu as GNOME's menu reader builds it.

Usage: ReadMenu.py MENU-FILE-NAME (applications.menu: the desktop's, after
XDG_MENU_PREFIX, as the desktops read it)
Prints one line per entry: the submenu path (names joined by '/'), a tab and
the entry's desktop file id. Exit status 2 when the reader is missing.
"""
import sys

try:
    import gi
    gi.require_version("GMenu", "3.0")
    from gi.repository import GMenu
except (ImportError, ValueError) as error:
    print(error, file=sys.stderr)
    sys.exit(2)


def walk(directory, path, out):
    items = directory.iter()
    while True:
        kind = items.next()
        if kind == GMenu.TreeItemType.INVALID:
            return
        if kind == GMenu.TreeItemType.DIRECTORY:
            sub = items.get_directory()
            walk(sub, path + [sub.get_name()], out)
        elif kind == GMenu.TreeItemType.ENTRY:
            out.append("/".join(path) + "\t" + items.get_entry().get_desktop_file_id())


tree = GMenu.Tree.new(sys.argv[1], GMenu.TreeFlags.NONE)
tree.load_sync()
lines = []
walk(tree.get_root_directory(), [], lines)
print("\n".join(lines))
