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


def _extents(accessible):
    return accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def _walk(accessible, prune=None):
    """`accessible` and everything under it, but not what is under a
    control whose role name is `prune`."""
    yield accessible
    if prune is not None and accessible.getRoleName() == prune:
        return
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is not None:
            yield from _walk(child, prune)


class AccessibleApp:
    def __init__(self, name, timeout=15.0):
        """Waits until the application called `name` is on the desktop."""
        self.app_name = name
        self.app = wait_until(self._find_app, "application " + name, timeout)
        # Controls already found, by description: each search is hundreds
        # of calls over the accessibility bus.
        self._found = {}

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == self.app_name:
                return app
        return None

    # Windows

    def window(self, title, timeout=10.0):
        def find():
            for i in range(self.app.childCount):
                w = self.app.getChildAtIndex(i)
                if w is not None and w.name == title and w.getState().contains(pyatspi.STATE_SHOWING):
                    return w
            return None
        return wait_until(find, "window " + title, timeout)

    def has_window(self, title):
        return any(w is not None and w.name == title
                   for w in (self.app.getChildAtIndex(i) for i in range(self.app.childCount)))

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

    def title_bar(self, title):
        """The title the window manager shows for the window titled `title`
        (its _NET_WM_NAME), which the toolkit may have added to."""
        x = display.Display()
        try:
            shown = self._x_window(x, x.screen().root, title).get_full_property(
                x.intern_atom("_NET_WM_NAME"), x.intern_atom("UTF8_STRING"))
            return shown.value.decode("utf-8")
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

    def dialog_saying(self, text, timeout=10.0):
        """The shown window that holds a label reading `text`: a message box."""
        def find():
            for i in range(self.app.childCount):
                w = self.app.getChildAtIndex(i)
                if w is None or not w.getState().contains(pyatspi.STATE_SHOWING):
                    continue
                if any(acc.getRoleName() == "label" and acc.name == text for acc in _walk(w, prune="combo box")):
                    return w
            return None
        return wait_until(find, "a window saying " + text, timeout)

    # Controls

    def child(self, root, roles, name=None):
        """The first control under `root` whose role name is one of `roles`
        (and whose name is `name`, when given): for dialogs whose controls
        carry no description, e.g. child(box, ["push button"], "OK")."""
        def find():
            for acc in _walk(root):
                if acc.getRoleName() in roles and (name is None or acc.name == name):
                    return acc
            return None
        return wait_until(find, "%s %s in %s" % (roles, name or "", root.name))

    def press_accessible(self, acc):
        """Presses a button, an option button or a check box, however found,
        once it is enabled (a command may still be ending)."""
        wait_until(lambda: acc.getState().contains(pyatspi.STATE_ENABLED),
                   (acc.description or acc.name) + " enabled")
        action = acc.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        for wanted in ("Press", "Toggle", "press", "toggle"):
            if wanted in names:
                action.doAction(names.index(wanted))
                return
        raise AssertionError((acc.description or acc.name) + " has no press action: " + repr(names))

    def control(self, description, window=None):
        """The control whose accessible description is `description`."""
        known = self._found.get((description, window))
        try:
            if known is not None and known.description == description \
                    and known.getState().contains(pyatspi.STATE_SHOWING):
                return known
        except Exception:  # its window has gone since
            pass

        def find():
            roots = [window] if window is not None else [
                self.app.getChildAtIndex(i) for i in range(self.app.childCount)]
            for root in roots:
                if root is None:
                    continue
                # A drop-down list's entries carry no description.
                for acc in _walk(root, prune="combo box"):
                    if acc.description == description:
                        return acc
            return None
        found = wait_until(find, "control " + description)
        self._found[(description, window)] = found
        return found

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
        self.press_accessible(self.control(description))

    def entries(self, description):
        """The entries of a drop-down list."""
        acc = self.control(description)
        for child in _walk(acc):
            if child is not acc and child.getRoleName() == "list":
                return [child.getChildAtIndex(i).name for i in range(child.childCount)]
        return []

    def choose(self, description, entry):
        """Selects the entry `entry` of a drop-down list with the mouse, as
        a user does: a click opens the list, a click on the entry picks it.
        A list ignores a click that comes within a double-click time of its
        opening; like a user, this then clicks again."""
        entries = self.entries(description)
        if entry not in entries:
            raise AssertionError(description + " has no entry " + entry)
        # A list with an accessible name of its own does not show its entry
        # as its name; then the list closing is what can be seen.
        shows_entry = self.name(description) in entries + [""]

        def entry_and_list():
            for item in _walk(self.control(description)):
                if item.getRoleName() == "list item" and item.name == entry:
                    return item, item.parent
            return None

        def is_open(view):
            return view.getState().contains(pyatspi.STATE_SHOWING) and _extents(view).height > 0

        def inside(item, view):
            box, outer = _extents(item), _extents(view)
            return outer.y <= box.y and box.y + box.height <= outer.y + outer.height

        item, view = wait_until(entry_and_list, "entry " + entry + " of " + description)
        wait_until(lambda: self.enabled(description), description + " enabled")
        for attempt in range(3):
            try:
                if not is_open(view):
                    self.click(self.control(description))
                    wait_until(lambda: is_open(view), description + " open", timeout=2.0)
                wait_until(lambda: inside(item, view), "entry " + entry + " of " + description + " shown",
                           timeout=2.0)
                self.click(item, within=view)
                wait_until(lambda: self.name(description) == entry if shows_entry else not is_open(view),
                           description + " showing " + entry, timeout=2.0)
                return
            except AssertionError:
                if attempt == 2:
                    raise

    def click(self, accessible, within=None):
        """A left click in the middle of a control, or of the part of it
        that lies inside `within` (an entry wider than its drop-down list)."""
        box = _extents(accessible)
        left, top, right, bottom = box.x, box.y, box.x + box.width, box.y + box.height
        if within is not None:
            outer = _extents(within)
            if outer.width and outer.height:
                left, top = max(left, outer.x), max(top, outer.y)
                right, bottom = min(right, outer.x + outer.width), min(bottom, outer.y + outer.height)
        pyatspi.Registry.generateMouseEvent((left + right) // 2, (top + bottom) // 2, "b1c")
