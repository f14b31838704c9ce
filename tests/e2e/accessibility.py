"""What a screen reader learns of the real program through AT-SPI, driven by the keyboard.

Started by accessibility.sh before the program, so that Qt finds listeners registered and sends
its events. It touches READY_FILE once it listens, finds the program on the desktop, reads the
tree and presses keys with xdotool (and clicks one cell where the tree places it); every date it
expects comes from the events a move caused, checked against the tree afterwards. Exits 0 when
everything holds, 1 with the reason.

Usage: accessibility.py READY_FILE SCREENSHOT_DIRECTORY
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WEEKDAYS = ["日", "月", "火", "水", "木", "金", "土"]
HINT = "「新規」を押すか、タイトルを選ぶと書けます。"

events = []


class Failure(Exception):
    pass


def record(event):
    # The name is read now: the cell keeps its place while the month under it changes.
    try:
        name = event.source.name
    except Exception as error:  # the source may be gone already; the record says so
        name = f"<unreadable: {error}>"
    events.append((event.type, event.detail1, name))


def pump(seconds):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.05)


def wait_until(seconds, what, check):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        while context.iteration(False):
            pass
        result = check()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(what() if callable(what) else what)
        time.sleep(0.1)


def settle(seconds, check):
    """Runs check until it stops failing; the program may still be building its window."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            return check()
        except Failure:
            if time.monotonic() > deadline:
                raise
        pump(0.3)


def expect(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: {actual!r}, expected {expected!r}")


def descendants(root):
    return pyatspi.utils.findAllDescendants(root, lambda _: True)


def find(root, what, predicate):
    for accessible in descendants(root):
        if predicate(accessible):
            return accessible
    raise Failure(f"no {what} in the tree of {root.name!r}")


def has_state(accessible, state):
    return accessible.getState().contains(state)


def desktop_contents():
    return [(application.name, [frame.name for frame in application])
            for application in pyatspi.Registry.getDesktop(0) if application]


def program_frame(title):
    desktop = pyatspi.Registry.getDesktop(0)
    for application in desktop:
        if application is None:
            continue
        for frame in application:
            if frame is not None and frame.name == title:
                return frame
    return None


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True, timeout=10)


def click(cell):
    """Clicks the middle of the cell where AT-SPI says it is on the screen."""
    extents = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True, timeout=10)


def act_and_hear(action, what, expected_date):
    """Does the action; a screen reader must hear the new date as focused and as selected."""
    start = len(events)
    action()

    def heard():
        new = events[start:]
        focused = any(
            (kind == "focus:" or kind == "object:state-changed:focused") and detail == 1 and name == expected_date
            for kind, detail, name in new)
        selected = any(kind == "object:state-changed:selected" and detail == 1 and name == expected_date
                       for kind, detail, name in new)
        return focused and selected

    wait_until(10, lambda: f"after {what} no focus and selection events named {expected_date!r}; heard "
               f"{events[start:]}", heard)


def selected_cell(table):
    cells = table.queryTable()
    for row in range(cells.nRows):
        for column in range(cells.nColumns):
            cell = cells.getAccessibleAt(row, column)
            if has_state(cell, pyatspi.STATE_SELECTED):
                return cell
    raise Failure("no cell of the calendar is selected")


def check_calendar(frame):
    calendar = find(frame, "calendar named カレンダー", lambda a: a.name == "カレンダー")
    expect(calendar.description, "2026年3月", "the calendar's description (its caption)")
    table = find(calendar, "table in the calendar", lambda a: a.getRole() == pyatspi.ROLE_TABLE)
    cells = table.queryTable()
    expect((cells.nRows, cells.nColumns), (6, 7), "the calendar's rows and columns")
    expect([cells.getColumnHeader(column).name for column in range(7)], WEEKDAYS, "the column headers")
    # Both corners and the two cells that show a 7 in March 2026, which starts on a Sunday.
    for row, column, name in [(0, 0, "2026年3月1日 日曜日"), (0, 6, "2026年3月7日 土曜日"),
                              (5, 2, "2026年4月7日 火曜日"), (5, 6, "2026年4月11日 土曜日")]:
        expect(cells.getAccessibleAt(row, column).name, name, f"the name of the cell in row {row}, column {column}")
    today = selected_cell(table)
    expect(today.name, "2026年3月15日 日曜日", "the selected cell at start")
    expect(has_state(today, pyatspi.STATE_FOCUSED), True, "the selected cell's focused state at start")
    return table


def check_controls(frame):
    for role, kind, name in [(pyatspi.ROLE_LIST, "list", "タイトルリスト"),
                             (pyatspi.ROLE_PUSH_BUTTON, "button", "新規"),
                             (pyatspi.ROLE_PUSH_BUTTON, "button", "削除"),
                             (pyatspi.ROLE_PUSH_BUTTON, "button", "保管しておわり"),
                             (pyatspi.ROLE_PUSH_BUTTON, "button", "一覧")] + [
                                 (pyatspi.ROLE_PUSH_BUTTON, "calendar button", step)
                                 for step in ["前の年", "前の月", "次の月", "次の年"]]:
        find(frame, f"{kind} named {name}", lambda a, r=role, n=name: a.getRole() == r and a.name == n)
    editor = find(frame, "editor named 本文", lambda a: a.name == "本文")
    expect(editor.description, HINT, "the editor's description")


def check_marks(table):
    cells = table.queryTable()
    # The month's entries are on the 4th and the 20th; marks come with a move into the month.
    for row, column, description in [(0, 3, "記事あり"), (0, 4, ""), (2, 5, "記事あり"), (2, 6, "")]:
        cell = cells.getAccessibleAt(row, column)
        expect(cell.description, description, f"the description of {cell.name}")


def check_list(table, shots):
    key("shift+Tab", "space")
    listing = wait_until(15, "the list window 一覧 did not appear", lambda: program_frame("一覧"))
    # For a look at the focus frame of the button that has the focus.
    pump(1)
    subprocess.run(["import", "-window", "root", f"{shots}/list-opened.png"], timeout=10)
    rows = find(listing, "table named 記事の一覧", lambda a: a.name == "記事の一覧")
    headers = rows.queryTable()
    expect([headers.getColumnHeader(column).name for column in range(2)], ["日付", "タイトル"],
           "the list's column headers")
    # Day sort by key; then into the list, one row down, and Return.
    key("ctrl+1", "Tab", "Tab")
    wait_until(10, "the day sort did not put the 4th first",
               lambda: headers.getAccessibleAt(0, 0).name == "4" and headers.getAccessibleAt(1, 0).name == "20")
    before = selected_cell(table).name
    second = {headers.getAccessibleAt(1, column).name for column in range(2)}
    start = len(events)
    key("Down")
    wait_until(10, lambda: f"Down in the list did not move to the 20th's row; heard {events[start:]}",
               lambda: any(kind in ("focus:", "object:state-changed:focused") and detail == 1 and name in second
                           for kind, detail, name in events[start:]))
    expect(selected_cell(table).name, before, "the main window's day after Down in the list")
    start = len(events)
    key("Return")
    wait_until(10, lambda: f"Return on the 20th's row did not select the 20th; heard {events[start:]}",
               lambda: selected_cell(table).name == "2026年3月20日 金曜日 春分の日")
    heard = [(kind, detail) for kind, detail, name in events[start:] if name == "2026年3月20日 金曜日 春分の日"]
    expect(("object:state-changed:selected", 1) in heard, True,
           f"a selection event for the 20th among {events[start:]}")
    # The focus stays in the list: a screen reader must not jump to the calendar.
    focused = [kind for kind, detail in heard if kind == "focus:" or (kind.endswith(":focused") and detail == 1)]
    expect(focused, [], f"focus events for the 20th among {events[start:]}")


def main():
    ready_file, shots = sys.argv[1:3]
    pyatspi.Registry.registerEventListener(record, "focus:", "object:state-changed:focused",
                                           "object:state-changed:selected")
    open(ready_file, "w").close()
    frame = wait_until(40, lambda: f"the program's window Noterra did not appear on the AT-SPI desktop; it holds "
                       f"{desktop_contents()}", lambda: program_frame("Noterra"))
    table = settle(15, lambda: check_calendar(frame))
    check_controls(frame)
    for key_name, date in [("Left", "2026年3月14日 土曜日"), ("Up", "2026年3月7日 土曜日"),
                           ("Right", "2026年3月8日 日曜日"), ("Next", "2026年4月8日 水曜日"),
                           ("Prior", "2026年3月8日 日曜日")]:
        act_and_hear(lambda: key(key_name), key_name, date)
    march_10 = table.queryTable().getAccessibleAt(1, 2)
    act_and_hear(lambda: click(march_10), "a click on the 10th", "2026年3月10日 火曜日")
    expect(selected_cell(table).name, "2026年3月10日 火曜日", "the selected cell after the moves")
    check_marks(table)
    check_list(table, shots)
    print("PASS: cells, headers, names, marks and the selection by key and by click read through AT-SPI; Return "
          "in the list moved the main window")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
