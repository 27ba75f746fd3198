# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's windows as the accessibility bus shows them, for the command-line tests that
read texts off the screen (run with this folder on PYTHONPATH)."""
import sys
import time

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def app(pid):
    """The application of process pid on the bus, or None."""
    desk = Atspi.get_desktop(0)
    kids = (desk.get_child_at_index(i) for i in range(desk.get_child_count()))
    return next((a for a in kids if a is not None and a.get_process_id() == pid), None)


def walk(o, role=None):
    """o and every object below it, or those of the role."""
    kids = [o.get_child_at_index(i) for i in range(o.get_child_count())]
    return [o] * (role is None or o.get_role() == role) + [x for c in kids if c is not None for x in walk(c, role)]


def poll(verdict, tries):
    """Asks verdict() for (what is still wrong or "", the texts read) every half second, at
    most tries times; prints the texts and what is wrong, and exits 1 if anything is."""
    why, texts = "nothing read", []
    for _ in range(tries):
        try:
            why, texts = verdict()
        except Exception as e:  # a window being rebuilt
            why, texts = "read failed: %s" % e, []
        if not why:
            break
        time.sleep(0.5)
    print("\n".join(texts) + ("\nFAIL: " + why if why else ""))
    sys.exit(1 if why else 0)
