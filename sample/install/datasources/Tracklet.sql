-- Tracklet: the change requests of the tram ticket kiosk. Built into Tracklet.db on first use.
PRAGMA foreign_keys = ON;
BEGIN;
CREATE TABLE TLDatabase (
  Name TEXT PRIMARY KEY,
  Description TEXT
);
CREATE TABLE TLUser (
  UserId INTEGER PRIMARY KEY,
  Login TEXT NOT NULL,
  FullName TEXT NOT NULL
);
CREATE TABLE Component (
  ComponentId INTEGER PRIMARY KEY,
  database TEXT NOT NULL REFERENCES TLDatabase(Name),
  Name TEXT NOT NULL
);
CREATE TABLE ChangeRequest (
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
);
CREATE TABLE Note (
  NoteId INTEGER PRIMARY KEY,
  changerequest TEXT NOT NULL REFERENCES ChangeRequest(CRId),
  Written DATETIME NOT NULL,
  author INTEGER NOT NULL REFERENCES TLUser(UserId),
  Text TEXT NOT NULL
);
INSERT INTO TLDatabase (Name, Description) VALUES ('KIOSK', 'Change requests of the tram ticket kiosk, from the first pilot on.');

INSERT INTO TLUser (UserId, Login, FullName) VALUES (1, 'abrennan', 'Ada Brennan');
INSERT INTO TLUser (UserId, Login, FullName) VALUES (2, 'tlindqvist', 'Tomas Lindqvist');
INSERT INTO TLUser (UserId, Login, FullName) VALUES (3, 'praman', 'Priya Raman');
INSERT INTO TLUser (UserId, Login, FullName) VALUES (4, 'mchen', 'Mei Chen');
INSERT INTO TLUser (UserId, Login, FullName) VALUES (5, 'lortega', 'Luis Ortega');

INSERT INTO Component (ComponentId, database, Name) VALUES (1, 'KIOSK', 'Payment');
INSERT INTO Component (ComponentId, database, Name) VALUES (2, 'KIOSK', 'Printer');
INSERT INTO Component (ComponentId, database, Name) VALUES (3, 'KIOSK', 'Screen');
INSERT INTO Component (ComponentId, database, Name) VALUES (4, 'KIOSK', 'Remote service');

INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1001', 1, 'Contactless PIN prompt shows behind the fare screen', 'Closed', 'Major', '2025-03-19 10:42:00', '2025-03-26 16:05:00', 4, 3, 'Found in=1.2;Fixed in=1.3');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1002', 2, 'Receipt printed twice after a paper change', 'Resolved', 'Minor', '2025-03-27 09:15:00', '2025-04-01 11:30:00', 4, 5, 'Found in=1.3');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1003', 3, 'Language stays Swedish after the sale', 'Assigned', 'Major', '2025-03-11 14:20:00', NULL, 4, 2, 'Found in=1.2;Screen=Start');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1004', 1, 'Refund not started after a printer jam', 'Opened', 'Critical', '2025-03-21 08:55:00', NULL, 4, 3, 'Found in=1.3;Customer impact=yes');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1005', 4, 'Kiosk stops selling after 20 hours offline', 'Assigned', 'Critical', '2025-04-02 17:40:00', NULL, 2, 2, 'Found in=1.3');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1006', 3, 'Wheelchair mode hides the cancel button', 'Closed', 'Major', '2025-03-13 13:05:00', '2025-03-20 10:00:00', 5, 2, 'Found in=1.1;Fixed in=1.2');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1007', 2, 'QR code too light on old paper stock', 'Postponed', 'Minor', '2025-03-26 15:50:00', NULL, 5, 5, 'Found in=1.3');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1008', 4, 'Heartbeat continues while the cabinet is open', 'Opened', 'Enhancement', '2025-03-31 12:10:00', NULL, 5, NULL, '');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1009', 1, 'Coin box full message in English only', 'Duplicate', 'Minor', '2025-03-12 11:11:00', '2025-03-12 15:00:00', 1, 3, 'Duplicate of=CR-1003');
INSERT INTO ChangeRequest (CRId, component, Headline, State, Severity, Submitted, Closed, submitter, owner, ExtraFields) VALUES ('CR-1010', 3, 'Fare zones shown in the wrong order', 'Resolved', 'Minor', '2025-03-17 10:00:00', '2025-03-18 09:30:00', 2, 1, 'Found in=1.2;Fixed in=1.3');

INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (1, 'CR-1001', '2025-03-20 09:00:00', 3, 'Reproduced with two phones; the PIN dialog is not brought to the front.');
INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (2, 'CR-1001', '2025-03-26 16:05:00', 3, 'Fixed in 1.3: the dialog is modal now.');
INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (3, 'CR-1004', '2025-03-21 09:30:00', 1, 'Needs a fix before the pilot at Central Station.');
INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (4, 'CR-1005', '2025-04-03 08:15:00', 2, 'The offline ticket counter overflows after 65,535 sales.');
INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (5, 'CR-1006', '2025-03-20 10:00:00', 2, 'Button moved into the lower area.');
INSERT INTO Note (NoteId, changerequest, Written, author, Text) VALUES (6, 'CR-1007', '2025-03-28 14:00:00', 5, 'Waiting for the new paper supplier.');

COMMIT;
