"""Drives a running program through its accessibility tree, as a screen
reader does: controls are found by their accessible description (the
control's name, e.g. "TxtEsito(3)"), read by their text, name and states,
and operated by their actions. Top-level windows are closed by their close
box, i.e. the window manager's delete request."""

import time

import pyatspi
from Xlib import X, display, protocol


def wait_until(predicate, what, timeout=10.0):
    """Returns predicate()'s first true value; fails after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # the tree changes under us while windows come and go
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def _walk(accessible):
    yield accessible
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield from _walk(child)


def _still_there(accessible, description):
    """Whether a control found earlier is still on the desktop (its window
    may have been closed since)."""
    try:
        return accessible.description == description
    except Exception:
        return False


class AccessibleApp:
    def __init__(self, name, timeout=15.0):
        """Waits until the application called `name` is on the desktop."""
        self.app_name = name
        self.app = wait_until(self._find_app, "application " + name, timeout)
        # Controls by description, filled by each walk of the whole tree: a
        # walk costs most of a second over the accessibility bus.
        self._controls = {}

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == self.app_name:
                return app
        return None

    # Windows

    def window_titles(self):
        return [w.name for w in (self.app.getChildAtIndex(i) for i in range(self.app.childCount))
                if w is not None]

    def window(self, title, timeout=10.0):
        def find():
            for i in range(self.app.childCount):
                w = self.app.getChildAtIndex(i)
                if w is not None and w.name == title and w.getState().contains(pyatspi.STATE_SHOWING):
                    return w
            return None
        return wait_until(find, "window " + title, timeout)

    def has_window(self, title):
        return any(t == title for t in self.window_titles())

    def close_window(self, title):
        """Sends the close request the window manager sends for a click on
        the window's close box."""
        x = display.Display()
        try:
            protocols = x.intern_atom("WM_PROTOCOLS")
            delete = x.intern_atom("WM_DELETE_WINDOW")
            target = self._x_window(x, x.screen().root, title)
            if target is None:
                raise AssertionError("no X window titled " + title)
            event = protocol.event.ClientMessage(window=target, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            target.send_event(event, event_mask=X.NoEventMask)
            x.flush()
        finally:
            x.close()

    def _x_window(self, x, window, title):
        try:
            if window.get_wm_name() == title:
                return window
            children = window.query_tree().children
        except Exception:
            return None
        for child in children:
            found = self._x_window(x, child, title)
            if found is not None:
                return found
        return None

    # Controls

    def control(self, description, window=None):
        """The control whose accessible description is `description`."""
        if window is None:
            known = self._controls.get(description)
            if known is not None and _still_there(known, description):
                return known

        def find():
            roots = [window] if window is not None else [
                self.app.getChildAtIndex(i) for i in range(self.app.childCount)]
            found = {}
            for root in roots:
                if root is None:
                    continue
                for acc in _walk(root):
                    if acc.description:
                        found.setdefault(acc.description, acc)
            if window is None:
                self._controls = found
            return found.get(description)
        return wait_until(find, "control " + description)

    def text(self, description):
        acc = self.control(description)
        try:
            return acc.queryText().getText(0, -1)
        except NotImplementedError:
            return acc.name

    def name(self, description):
        """A button's caption, a drop-down list's shown entry (for a list
        without an accessible name of its own)."""
        return self.control(description).name

    def set_text(self, description, text):
        acc = self.control(description)
        acc.queryEditableText().setTextContents(text)

    def checked(self, description):
        return self.control(description).getState().contains(pyatspi.STATE_CHECKED)

    def enabled(self, description):
        return self.control(description).getState().contains(pyatspi.STATE_ENABLED)

    def press(self, description):
        """Presses a button, an option button or a check box."""
        acc = self.control(description)
        action = acc.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        for wanted in ("Press", "Toggle", "press", "toggle"):
            if wanted in names:
                action.doAction(names.index(wanted))
                return
        raise AssertionError(description + " has no press action: " + repr(names))

    def focus(self, description):
        self.control(description).queryComponent().grabFocus()

    def entries(self, description):
        """The entries of a drop-down list."""
        acc = self.control(description)
        for child in _walk(acc):
            if child is not acc and child.getRoleName() == "list":
                return [child.getChildAtIndex(i).name for i in range(child.childCount)]
        return []

    def choose(self, description, entry):
        """Selects the entry `entry` of a drop-down list with the mouse, as
        a user does: a click opens the list, a click on the entry picks it."""
        if entry not in self.entries(description):
            raise AssertionError(description + " has no entry " + entry)
        self.click(self.control(description))

        def shown_entry():
            for item in _walk(self.control(description)):
                if item.getRoleName() == "list item" and item.name == entry \
                        and item.getState().contains(pyatspi.STATE_SHOWING):
                    return item
            return None
        item = wait_until(shown_entry, "entry " + entry + " of " + description + " shown")
        self.click(item)
        wait_until(lambda: self.name(description) == entry, description + " showing " + entry)

    def click(self, accessible):
        """A left click in the middle of a control."""
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")

    def key(self, keysym):
        """Presses and releases one key, by its X keysym."""
        pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)

    def type_text(self, text):
        """Types text into the focused control, key by key."""
        for ch in text:
            pyatspi.Registry.generateKeyboardEvent(ord(ch), None, pyatspi.KEY_SYM)


KEY_TAB = 0xFF09
KEY_RETURN = 0xFF0D
KEY_ESCAPE = 0xFF1B
KEY_HOME = 0xFF50
KEY_DOWN = 0xFF54
