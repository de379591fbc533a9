#!/usr/bin/env python3
# Writes the sample installation's data sources as SQL text: sample/install/datasources/Needwise.sql
# (a requirements project) and Tracklet.sql (a change-request database). The module pictures are
# small PNG files made here with zlib and struct and stored as hex literals. Run it again after
# changing the content below; the SQL files are checked in.
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
STORE = os.path.join(HERE, "..", "sample", "install", "datasources")


def png(width, height, pixel):
    """A true-colour PNG whose pixel (x, y) is pixel(x, y) -> (r, g, b)."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    rows = b"".join(
        b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
            chunk(b"IEND", b""))


def icon(colour, shape):
    """A 48x48 module picture: a light tile with a coloured figure."""
    size = 48

    def inside(x, y):
        cx, cy = x - 23.5, y - 23.5
        if shape == "coin":
            return cx * cx + cy * cy <= 18 * 18 and not (abs(cx) < 3 and abs(cy) < 10)
        if shape == "ticket":
            return 6 <= x < 42 and 12 <= y < 36 and not (x in (17, 18) and y % 4 < 2)
        if shape == "screen":
            frame = 5 <= x < 43 and 7 <= y < 35
            window = 9 <= x < 39 and 11 <= y < 31
            stand = 20 <= x < 28 and 35 <= y < 42
            return (frame and not window) or stand or (14 <= x < 34 and 18 <= y < 22)
        if shape == "wrench":
            on_bar = abs(cx - cy) < 4 and -16 < cx < 16
            head = (cx + 13) ** 2 + (cy + 13) ** 2 <= 64 and not (abs(cx + 15) < 3 and abs(cy + 15) < 3)
            return on_bar or head
        return False

    def pixel(x, y):
        if inside(x, y):
            return colour
        edge = x in (0, size - 1) or y in (0, size - 1)
        return (180, 180, 180) if edge else (246, 246, 240)

    return png(size, size, pixel)


def text(value):
    if value is None:
        return "NULL"
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, bytes):
        return "X'" + value.hex().upper() + "'"
    return "'" + value.replace("'", "''") + "'"


def inserts(table, columns, rows):
    out = []
    for row in rows:
        out.append("INSERT INTO %s (%s) VALUES (%s);" %
                   (table, ", ".join(columns), ", ".join(text(v) for v in row)))
    return "\n".join(out) + "\n"


OWNERS = [
    (1, "Ada Brennan", "ada.brennan@example.org", "Product owner"),
    (2, "Tomas Lindqvist", "tomas.lindqvist@example.org", "Systems engineer"),
    (3, "Priya Raman", "priya.raman@example.org", "Payment specialist"),
    (4, "Jonah Okafor", "jonah.okafor@example.org", "User-interface designer"),
    (5, "Mei Chen", "mei.chen@example.org", "Test lead"),
    (6, "Luis Ortega", "luis.ortega@example.org", "Field service engineer"),
]

MODULES = [
    (1, "Payment", "Card, contactless and cash payment, refunds and the daily settlement.",
     (31, 119, 180), "coin"),
    (2, "Ticketing", "Fares, ticket types, printing and validation of tickets.", (214, 96, 39),
     "ticket"),
    (3, "User interface", "The touch screen, languages and accessibility of the kiosk.",
     (44, 160, 44), "screen"),
    (4, "Service and maintenance", "Remote monitoring, alarms, cash collection and updates.",
     (148, 103, 189), "wrench"),
]

# ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated
REQUIREMENTS = [
    ("REQ-001", 1, None, "Accept payment by bank card", "Functional", 3, 1, "Approved", "2025-01-13", "2025-06-30", False),
    ("REQ-002", 1, "REQ-001", "Read chip cards with PIN entry", "Functional", 3, 1, "Implemented", "2025-01-13", "2025-04-30", False),
    ("REQ-003", 1, "REQ-001", "Accept contactless cards and phones", "Functional", 3, 1, "Approved", "2025-01-14", "2025-05-31", False),
    ("REQ-004", 1, "REQ-003", "Complete a contactless payment within 2 seconds", "Performance", 2, 1, "Approved", "2025-01-20", "2025-05-31", False),
    ("REQ-005", 1, "REQ-003", "Ask for the PIN above the contactless limit", "Security", 3, 2, "Approved", "2025-01-20", "2025-05-31", False),
    ("REQ-006", 1, None, "Accept coins and bank notes", "Functional", 6, 2, "Approved", "2025-01-15", "2025-07-31", False),
    ("REQ-007", 1, "REQ-006", "Give change in coins", "Functional", 6, 2, "Implemented", "2025-01-15", "2025-07-31", False),
    ("REQ-008", 1, "REQ-006", "Reject counterfeit bank notes", "Security", 3, 1, "Approved", "2025-01-22", "2025-07-31", True),
    ("REQ-009", 1, None, "Settle all card payments once a day", "Interface", 3, 2, "Proposed", "2025-02-03", "2025-09-30", False),
    ("REQ-010", 1, None, "Refund a failed sale automatically", "Functional", 3, 2, "Approved", "2025-02-03", "2025-08-31", False),
    ("REQ-011", 1, None, "Keep no card number after the sale", "Security", 2, 1, "Verified", "2025-02-05", "2025-04-30", True),
    ("REQ-012", 1, None, "Accept vouchers of the tram company", "Functional", 1, 3, "Deferred", "2025-02-10", None, False),
    ("REQ-013", 2, None, "Sell single tickets for every fare zone", "Functional", 1, 1, "Implemented", "2025-01-10", "2025-04-30", False),
    ("REQ-014", 2, "REQ-013", "Compute the fare from the zones travelled", "Functional", 2, 1, "Verified", "2025-01-10", "2025-04-30", False),
    ("REQ-015", 2, "REQ-013", "Offer reduced fares for children and seniors", "Functional", 1, 2, "Approved", "2025-01-17", "2025-06-30", False),
    ("REQ-016", 2, "REQ-015", "Ask for a proof of reduction on the ticket", "Usability", 4, 3, "Proposed", "2025-01-24", "2025-09-30", False),
    ("REQ-017", 2, None, "Sell day, week and month passes", "Functional", 1, 2, "Approved", "2025-01-10", "2025-06-30", False),
    ("REQ-018", 2, None, "Print the ticket within 3 seconds", "Performance", 2, 1, "Approved", "2025-01-28", "2025-05-31", False),
    ("REQ-019", 2, "REQ-018", "Warn before the paper roll runs out", "Functional", 6, 2, "Implemented", "2025-01-28", "2025-05-31", False),
    ("REQ-020", 2, None, "Print a QR code that validators can read", "Interface", 2, 1, "Approved", "2025-02-04", "2025-06-30", False),
    ("REQ-021", 2, "REQ-020", "Sign the QR code with the operator's key", "Security", 2, 1, "Approved", "2025-02-04", "2025-06-30", True),
    ("REQ-022", 2, None, "Sell group tickets for up to 5 people", "Functional", 1, 3, "Rejected", "2025-02-12", None, False),
    ("REQ-023", 2, None, "Print a receipt on request", "Functional", 3, 3, "Approved", "2025-02-12", "2025-08-31", False),
    ("REQ-024", 3, None, "Offer the screens in four languages", "Usability", 4, 1, "Approved", "2025-01-11", "2025-05-31", False),
    ("REQ-025", 3, "REQ-024", "Switch the language with one touch", "Usability", 4, 2, "Implemented", "2025-01-11", "2025-05-31", False),
    ("REQ-026", 3, "REQ-024", "Return to the default language after a sale", "Usability", 4, 3, "Approved", "2025-01-18", "2025-06-30", False),
    ("REQ-027", 3, None, "Let wheelchair users reach every control", "Usability", 4, 1, "Approved", "2025-01-21", "2025-06-30", True),
    ("REQ-028", 3, "REQ-027", "Offer a low screen mode", "Usability", 4, 1, "Implemented", "2025-01-21", "2025-06-30", False),
    ("REQ-029", 3, "REQ-027", "Read every screen aloud through the headphone jack", "Usability", 4, 2, "Proposed", "2025-01-25", "2025-09-30", False),
    ("REQ-030", 3, None, "Buy a single ticket in at most four steps", "Usability", 1, 1, "Verified", "2025-01-12", "2025-04-30", False),
    ("REQ-031", 3, None, "Show the total before the payment", "Functional", 1, 1, "Implemented", "2025-01-12", "2025-04-30", False),
    ("REQ-032", 3, None, "Cancel a sale at any step before payment", "Functional", 4, 2, "Approved", "2025-01-19", "2025-05-31", False),
    ("REQ-033", 3, None, "Play an animated advertisement while idle", "Usability", 1, 3, "Rejected", "2025-02-14", None, False),
    ("REQ-034", 4, None, "Report the kiosk's state to the operations centre", "Interface", 6, 1, "Approved", "2025-01-16", "2025-07-31", False),
    ("REQ-035", 4, "REQ-034", "Send a heartbeat every minute", "Interface", 6, 2, "Implemented", "2025-01-16", "2025-07-31", False),
    ("REQ-036", 4, "REQ-034", "Raise an alarm when the cabinet is opened", "Security", 6, 1, "Approved", "2025-01-23", "2025-07-31", True),
    ("REQ-037", 4, "REQ-036", "Log the service card used to open the cabinet", "Security", 6, 2, "Proposed", "2025-01-30", "2025-09-30", False),
    ("REQ-038", 4, None, "Install software updates remotely at night", "Functional", 2, 2, "Approved", "2025-02-06", "2025-10-31", False),
    ("REQ-039", 4, None, "Count the cash in the safe at every collection", "Functional", 6, 2, "Approved", "2025-02-06", "2025-08-31", False),
    ("REQ-040", 4, None, "Keep working offline for 24 hours", "Performance", 2, 1, "Approved", "2025-02-07", "2025-08-31", False),
    ("REQ-041", 4, None, "Print a service report on the ticket printer", "Functional", 6, 3, "Deferred", "2025-02-18", None, False),
]

# TestId, Title, owner, Automated, LastRun, Result
TEST_CASES = [
    ("TC-001", "Chip card sale with correct PIN", 5, True, "2025-03-18", "Passed"),
    ("TC-002", "Chip card sale with wrong PIN three times", 5, True, "2025-03-18", "Passed"),
    ("TC-003", "Contactless sale below the limit", 5, True, "2025-03-19", "Passed"),
    ("TC-004", "Contactless sale above the limit asks for the PIN", 5, True, "2025-03-19", "Failed"),
    ("TC-005", "Contactless timing over 100 sales", 2, True, "2025-03-20", "Passed"),
    ("TC-006", "Cash sale with exact amount", 6, False, "2025-03-12", "Passed"),
    ("TC-007", "Cash sale with change", 6, False, "2025-03-12", "Passed"),
    ("TC-008", "Counterfeit note test set", 3, False, "2025-03-14", "Passed"),
    ("TC-009", "Refund after a printer jam", 5, False, "2025-03-21", "Failed"),
    ("TC-010", "Memory scan for card numbers", 2, True, "2025-03-10", "Passed"),
    ("TC-011", "Daily settlement file", 3, True, None, None),
    ("TC-012", "Single ticket in every zone", 5, True, "2025-03-17", "Passed"),
    ("TC-013", "Fare table against the tariff", 2, True, "2025-03-17", "Passed"),
    ("TC-014", "Reduced fare selection", 5, False, "2025-03-24", "Passed"),
    ("TC-015", "Pass sale for day, week and month", 5, True, "2025-03-24", "Passed"),
    ("TC-016", "Printing time over 50 tickets", 2, True, "2025-03-25", "Passed"),
    ("TC-017", "Paper low warning", 6, False, "2025-03-26", "Passed"),
    ("TC-018", "QR code read by the validator", 2, False, "2025-03-26", "Passed"),
    ("TC-019", "Forged QR code is refused", 2, False, "2025-03-27", "Passed"),
    ("TC-020", "Receipt printing", 5, True, "2025-03-27", "Passed"),
    ("TC-021", "Language switch on every screen", 4, True, "2025-03-11", "Passed"),
    ("TC-022", "Language reset after the sale", 4, True, "2025-03-11", "Failed"),
    ("TC-023", "Reach test from a wheelchair", 4, False, "2025-03-13", "Passed"),
    ("TC-024", "Low screen mode", 4, False, "2025-03-13", "Passed"),
    ("TC-025", "Four-step purchase walk-through", 4, False, "2025-03-28", "Passed"),
    ("TC-026", "Cancel at every step", 5, True, "2025-03-28", "Passed"),
    ("TC-027", "Heartbeat and state report", 6, True, "2025-03-31", "Passed"),
    ("TC-028", "Cabinet alarm", 6, False, "2025-03-31", "Passed"),
    ("TC-029", "Night update and rollback", 2, True, None, None),
    ("TC-030", "Offline day", 2, False, "2025-04-02", "Failed"),
    ("TC-031", "Cash count at collection", 6, False, "2025-04-02", "Passed"),
]

# requirement, test case, Kind
TRACES = [
    ("REQ-002", "TC-001", "verifies"), ("REQ-002", "TC-002", "verifies"),
    ("REQ-003", "TC-003", "verifies"), ("REQ-005", "TC-004", "verifies"),
    ("REQ-004", "TC-005", "verifies"), ("REQ-004", "TC-003", "partly verifies"),
    ("REQ-006", "TC-006", "verifies"), ("REQ-007", "TC-007", "verifies"),
    ("REQ-008", "TC-008", "verifies"), ("REQ-010", "TC-009", "verifies"),
    ("REQ-011", "TC-010", "verifies"), ("REQ-009", "TC-011", "verifies"),
    ("REQ-013", "TC-012", "verifies"), ("REQ-014", "TC-013", "verifies"),
    ("REQ-014", "TC-012", "partly verifies"), ("REQ-015", "TC-014", "verifies"),
    ("REQ-017", "TC-015", "verifies"), ("REQ-018", "TC-016", "verifies"),
    ("REQ-019", "TC-017", "verifies"), ("REQ-020", "TC-018", "verifies"),
    ("REQ-021", "TC-019", "verifies"), ("REQ-023", "TC-020", "verifies"),
    ("REQ-024", "TC-021", "verifies"), ("REQ-025", "TC-021", "partly verifies"),
    ("REQ-026", "TC-022", "verifies"), ("REQ-027", "TC-023", "verifies"),
    ("REQ-028", "TC-024", "verifies"), ("REQ-028", "TC-023", "partly verifies"),
    ("REQ-030", "TC-025", "verifies"), ("REQ-031", "TC-025", "partly verifies"),
    ("REQ-032", "TC-026", "verifies"), ("REQ-034", "TC-027", "verifies"),
    ("REQ-035", "TC-027", "verifies"), ("REQ-036", "TC-028", "verifies"),
    ("REQ-038", "TC-029", "verifies"), ("REQ-040", "TC-030", "verifies"),
    ("REQ-039", "TC-031", "verifies"),
]


def needwise():
    out = ["-- Needwise: the requirements of a tram ticket kiosk. Built into Needwise.db on first use.",
           "PRAGMA foreign_keys = ON;",
           "BEGIN;",
           """CREATE TABLE Project (
  Path TEXT PRIMARY KEY,
  Name TEXT NOT NULL,
  Description TEXT,
  Started DATE
);""",
           """CREATE TABLE Owner (
  OwnerId INTEGER PRIMARY KEY,
  Name TEXT NOT NULL,
  Email TEXT,
  Role TEXT
);""",
           """CREATE TABLE Module (
  ModuleId INTEGER PRIMARY KEY,
  project TEXT NOT NULL REFERENCES Project(Path),
  Name TEXT NOT NULL,
  Description TEXT,
  Picture BLOB
);""",
           """CREATE TABLE Requirement (
  ReqId TEXT PRIMARY KEY,
  module INTEGER NOT NULL REFERENCES Module(ModuleId),
  parent TEXT REFERENCES Requirement(ReqId),
  Title TEXT NOT NULL,
  RequirementType TEXT NOT NULL,
  owner INTEGER REFERENCES Owner(OwnerId),
  Priority INTEGER NOT NULL,
  Status TEXT NOT NULL,
  Created DATE,
  Due DATE,
  SafetyRelated BOOLEAN NOT NULL DEFAULT 0
);""",
           """CREATE TABLE TestCase (
  TestId TEXT PRIMARY KEY,
  Title TEXT NOT NULL,
  owner INTEGER REFERENCES Owner(OwnerId),
  Automated BOOLEAN NOT NULL DEFAULT 0,
  LastRun DATE,
  Result TEXT
);""",
           """CREATE TABLE Trace (
  TraceId INTEGER PRIMARY KEY,
  requirement TEXT NOT NULL REFERENCES Requirement(ReqId),
  testcase TEXT NOT NULL REFERENCES TestCase(TestId),
  Kind TEXT NOT NULL
);"""]
    out.append(inserts("Project", ["Path", "Name", "Description", "Started"], [
        ("Projects/TicketKiosk", "Tram ticket kiosk",
         "The ticket machines for the tram stops of the city: payment, tickets, the screen "
         "and the service of the kiosks.", "2025-01-06")]))
    out.append(inserts("Owner", ["OwnerId", "Name", "Email", "Role"], OWNERS))
    out.append(inserts("Module", ["ModuleId", "project", "Name", "Description", "Picture"],
                       [(m[0], "Projects/TicketKiosk", m[1], m[2], icon(m[3], m[4]))
                        for m in MODULES]))
    out.append(inserts("Requirement", ["ReqId", "module", "parent", "Title", "RequirementType",
                                       "owner", "Priority", "Status", "Created", "Due",
                                       "SafetyRelated"], REQUIREMENTS))
    out.append(inserts("TestCase", ["TestId", "Title", "owner", "Automated", "LastRun", "Result"],
                       TEST_CASES))
    out.append(inserts("Trace", ["TraceId", "requirement", "testcase", "Kind"],
                       [(i + 1,) + t for i, t in enumerate(TRACES)]))
    out.append("COMMIT;")
    return "\n".join(out) + "\n"


USERS = [
    (1, "abrennan", "Ada Brennan"), (2, "tlindqvist", "Tomas Lindqvist"),
    (3, "praman", "Priya Raman"), (4, "mchen", "Mei Chen"), (5, "lortega", "Luis Ortega"),
]

COMPONENTS = [(1, "Payment"), (2, "Printer"), (3, "Screen"), (4, "Remote service")]

# CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields
CHANGE_REQUESTS = [
    ("CR-1001", 1, "Contactless PIN prompt shows behind the fare screen", "Closed", "Major", "2025-03-19 10:42:00", "2025-03-26 16:05:00", 4, 3, "Found in=1.2;Fixed in=1.3"),
    ("CR-1002", 2, "Receipt printed twice after a paper change", "Resolved", "Minor", "2025-03-27 09:15:00", "2025-04-01 11:30:00", 4, 5, "Found in=1.3"),
    ("CR-1003", 3, "Language stays Swedish after the sale", "Assigned", "Major", "2025-03-11 14:20:00", None, 4, 2, "Found in=1.2;Screen=Start"),
    ("CR-1004", 1, "Refund not started after a printer jam", "Opened", "Critical", "2025-03-21 08:55:00", None, 4, 3, "Found in=1.3;Customer impact=yes"),
    ("CR-1005", 4, "Kiosk stops selling after 20 hours offline", "Assigned", "Critical", "2025-04-02 17:40:00", None, 2, 2, "Found in=1.3"),
    ("CR-1006", 3, "Wheelchair mode hides the cancel button", "Closed", "Major", "2025-03-13 13:05:00", "2025-03-20 10:00:00", 5, 2, "Found in=1.1;Fixed in=1.2"),
    ("CR-1007", 2, "QR code too light on old paper stock", "Postponed", "Minor", "2025-03-26 15:50:00", None, 5, 5, "Found in=1.3"),
    ("CR-1008", 4, "Heartbeat continues while the cabinet is open", "Opened", "Enhancement", "2025-03-31 12:10:00", None, 5, None, ""),
    ("CR-1009", 1, "Coin box full message in English only", "Duplicate", "Minor", "2025-03-12 11:11:00", "2025-03-12 15:00:00", 1, 3, "Duplicate of=CR-1003"),
    ("CR-1010", 3, "Fare zones shown in the wrong order", "Resolved", "Minor", "2025-03-17 10:00:00", "2025-03-18 09:30:00", 2, 1, "Found in=1.2;Fixed in=1.3"),
]

# note id, change request, Written, author, Text
NOTES = [
    (1, "CR-1001", "2025-03-20 09:00:00", 3, "Reproduced with two phones; the PIN dialog is not brought to the front."),
    (2, "CR-1001", "2025-03-26 16:05:00", 3, "Fixed in 1.3: the dialog is modal now."),
    (3, "CR-1004", "2025-03-21 09:30:00", 1, "Needs a fix before the pilot at Central Station."),
    (4, "CR-1005", "2025-04-03 08:15:00", 2, "The offline ticket counter overflows after 65,535 sales."),
    (5, "CR-1006", "2025-03-20 10:00:00", 2, "Button moved into the lower area."),
    (6, "CR-1007", "2025-03-28 14:00:00", 5, "Waiting for the new paper supplier."),
]


def tracklet():
    out = ["-- Tracklet: the change requests of the tram ticket kiosk. Built into Tracklet.db on first use.",
           "PRAGMA foreign_keys = ON;",
           "BEGIN;",
           """CREATE TABLE TLDatabase (
  Name TEXT PRIMARY KEY,
  Description TEXT
);""",
           """CREATE TABLE TLUser (
  UserId INTEGER PRIMARY KEY,
  Login TEXT NOT NULL,
  FullName TEXT NOT NULL
);""",
           """CREATE TABLE Component (
  ComponentId INTEGER PRIMARY KEY,
  database TEXT NOT NULL REFERENCES TLDatabase(Name),
  Name TEXT NOT NULL
);""",
           """CREATE TABLE ChangeRequest (
  CRId TEXT PRIMARY KEY,
  component INTEGER NOT NULL REFERENCES Component(ComponentId),
  Headline TEXT NOT NULL,
  State TEXT NOT NULL,
  Severity TEXT NOT NULL,
  Submitted DATETIME NOT NULL,
  Closed DATETIME,
  submitter INTEGER NOT NULL REFERENCES TLUser(UserId),
  owner INTEGER REFERENCES TLUser(UserId),
  ExtraFields TEXT
);""",
           """CREATE TABLE Note (
  NoteId INTEGER PRIMARY KEY,
  changerequest TEXT NOT NULL REFERENCES ChangeRequest(CRId),
  Written DATETIME NOT NULL,
  author INTEGER NOT NULL REFERENCES TLUser(UserId),
  Text TEXT NOT NULL
);"""]
    out.append(inserts("TLDatabase", ["Name", "Description"], [
        ("KIOSK", "Change requests of the tram ticket kiosk, from the first pilot on.")]))
    out.append(inserts("TLUser", ["UserId", "Login", "FullName"], USERS))
    out.append(inserts("Component", ["ComponentId", "database", "Name"],
                       [(c[0], "KIOSK", c[1]) for c in COMPONENTS]))
    out.append(inserts("ChangeRequest", ["CRId", "component", "Headline", "State", "Severity",
                                         "Submitted", "Closed", "submitter", "owner",
                                         "ExtraFields"], CHANGE_REQUESTS))
    out.append(inserts("Note", ["NoteId", "changerequest", "Written", "author", "Text"], NOTES))
    out.append("COMMIT;")
    return "\n".join(out) + "\n"


def main():
    os.makedirs(STORE, exist_ok=True)
    for name, content in (("Needwise.sql", needwise()), ("Tracklet.sql", tracklet())):
        with open(os.path.join(STORE, name), "w", encoding="utf-8", newline="\n") as out:
            out.write(content)


if __name__ == "__main__":
    main()
