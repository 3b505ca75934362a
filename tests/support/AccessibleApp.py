"""Drives a running program through its accessibility tree, as a screen reader does: controls are found by their
design name (e.g. "TxtEsito(3)"), which ends their accessible description in brackets ("Codice di esito ...
[TxtEsito(3)]") or is the whole of it, and are read and operated through their interfaces."""

import time

import pyatspi
from Xlib import display


def wait_until(predicate, what, timeout=10.0):
    """Returns predicate()'s first true value; fails after timeout seconds."""
    end = time.monotonic() + timeout
    while time.monotonic() <= end:
        try:
            value = predicate()
        except Exception:  # the tree changes under us while windows come and go
            value = None
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def _walk(accessible):
    """`accessible` and everything under it but a drop-down list's entries."""
    yield accessible
    if accessible.getRoleName() != "combo box":
        for child in filter(None, map(accessible.getChildAtIndex, range(accessible.childCount))):
            yield from _walk(child)


def designed(accessible, name):
    """Whether `accessible` is the control called `name` in its window's design."""
    description = accessible.description
    return description == name or description.endswith(" [" + name + "]")


def _x_window(window, title):
    """The X window at or under `window` called `title`, or None."""
    try:
        return window if window.get_wm_name() == title else next(
            filter(None, (_x_window(child, title) for child in window.query_tree().children)), None)
    except Exception:  # gone since it was listed
        return None


class AccessibleApp:
    def __init__(self, name, timeout=15.0):
        self.app = wait_until(lambda: next(a for a in pyatspi.Registry.getDesktop(0)
                                           if a is not None and a.name == name), "application " + name, timeout)
        self._found = {}  # controls by description: each search is hundreds of calls on the bus

    def _windows(self):
        return (w for w in self.app if w and w.getState().contains(pyatspi.STATE_SHOWING))

    def window(self, title, timeout=10.0):
        return wait_until(lambda: next(w for w in self._windows() if w.name == title), "window " + title, timeout)

    def title_bar(self, title):
        """The window manager's title (_NET_WM_NAME) for `title`, which the toolkit may add to."""
        x = display.Display()
        try:
            window = _x_window(x.screen().root, title)
            assert window, "no X window titled " + title
            return window.get_full_property(x.intern_atom("_NET_WM_NAME"), x.intern_atom("UTF8_STRING")).value.decode()
        finally:
            x.close()

    def child(self, root, role, name=None):
        """The first control of `role` (named `name`) under `root`: dialogs' lack descriptions."""
        return wait_until(lambda: next(acc for acc in _walk(root) if acc.getRoleName() == role
                                       and name in (None, acc.name)), "%s %s" % (role, name or ""))

    def press_accessible(self, acc):
        """Presses a button, option button or check box once enabled (a command may be ending)."""
        wait_until(lambda: acc.getState().contains(pyatspi.STATE_ENABLED), (acc.description or acc.name) + " enabled")
        action = acc.queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        action.doAction(next(names.index(n) for n in ("press", "toggle") if n in names))

    def control(self, description):
        known = self._found.get(description)
        try:
            if designed(known, description) and known.getState().contains(pyatspi.STATE_SHOWING):
                return known
        except Exception:  # not found yet, or its window has gone since
            pass
        self._found[description] = wait_until(lambda: next(
            acc for w in self._windows() for acc in _walk(w) if designed(acc, description)), description)
        return self._found[description]

    def text(self, description):
        return self.control(description).queryText().getText(0, -1)

    def set_text(self, description, text):
        self.control(description).queryEditableText().setTextContents(text)

    def press(self, description):
        self.press_accessible(self.control(description))
