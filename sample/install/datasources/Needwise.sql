-- Needwise: the requirements of a tram ticket kiosk. Built into Needwise.db on first use.
PRAGMA foreign_keys = ON;
BEGIN;
CREATE TABLE Project (
  Path TEXT PRIMARY KEY,
  Name TEXT NOT NULL,
  Description TEXT,
  Started DATE
);
CREATE TABLE Owner (
  OwnerId INTEGER PRIMARY KEY,
  Name TEXT NOT NULL,
  Email TEXT,
  Role TEXT
);
CREATE TABLE Module (
  ModuleId INTEGER PRIMARY KEY,
  project TEXT NOT NULL REFERENCES Project(Path),
  Name TEXT NOT NULL,
  Description TEXT,
  Picture BLOB
);
CREATE TABLE Requirement (
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
);
CREATE TABLE TestCase (
  TestId TEXT PRIMARY KEY,
  Title TEXT NOT NULL,
  owner INTEGER REFERENCES Owner(OwnerId),
  Automated BOOLEAN NOT NULL DEFAULT 0,
  LastRun DATE,
  Result TEXT
);
CREATE TABLE Trace (
  TraceId INTEGER PRIMARY KEY,
  requirement TEXT NOT NULL REFERENCES Requirement(ReqId),
  testcase TEXT NOT NULL REFERENCES TestCase(TestId),
  Kind TEXT NOT NULL
);
INSERT INTO Project (Path, Name, Description, Started) VALUES ('Projects/TicketKiosk', 'Tram ticket kiosk', 'The ticket machines for the tram stops of the city: payment, tickets, the screen and the service of the kiosks.', '2025-01-06');

INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (1, 'Ada Brennan', 'ada.brennan@example.org', 'Product owner');
INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (2, 'Tomas Lindqvist', 'tomas.lindqvist@example.org', 'Systems engineer');
INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (3, 'Priya Raman', 'priya.raman@example.org', 'Payment specialist');
INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (4, 'Jonah Okafor', 'jonah.okafor@example.org', 'User-interface designer');
INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (5, 'Mei Chen', 'mei.chen@example.org', 'Test lead');
INSERT INTO Owner (OwnerId, Name, Email, Role) VALUES (6, 'Luis Ortega', 'luis.ortega@example.org', 'Field service engineer');

INSERT INTO Module (ModuleId, project, Name, Description, Picture) VALUES (1, 'Projects/TicketKiosk', 'Payment', 'Card, contactless and cash payment, refunds and the daily settlement.', X'89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000A14944415478DAEDD8D10D80200C045036714C176330BFF89601D4965ED56B72043F9B3C8C92F65A275B6D3E631C245B2081FE066D7BBFDC5F83EE1CB86C19E4A7C4580BA0186595E505E11AA7C905CAD2784C362857639A0CD01B9A67530228ABCA0685CF8ABCA43A20E46B406A058A81C01F18291748208104D24D5D16A47EA8620BCBD8E4D38D418C8322E328CD183630C631A4811569A4A71456207A10D53A01F344AAD6549DC6C50000000049454E44AE426082');
INSERT INTO Module (ModuleId, project, Name, Description, Picture) VALUES (2, 'Projects/TicketKiosk', 'Ticketing', 'Fares, ticket types, printing and validation of tickets.', X'89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED00000005E4944415478DAEDD7B10D80300C00C16C93B51892599883CA759800590A85B1CE72BA1427E59B8CB3D88CE744DC451608080808E89FA0EB98EF9BBC96D9A6A00FB72948431AD290863C998634A4210D6948437EAE40404040405BA052B300DF444775A14B670D0000000049454E44AE426082');
INSERT INTO Module (ModuleId, project, Name, Description, Picture) VALUES (3, 'Projects/TicketKiosk', 'User interface', 'The touch screen, languages and accessibility of the kiosk.', X'89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000604944415478DAEDD8C10DC0200805500772E80ED1C13C79AE33186B7EEB23707F07208172874519D57B0B4920A01340F5AA9B13E8CFA0F79A170808E81BA055CB06E85C902903020202727500CD80A67B73C934000101A5837C6181524151F1004731C1CD138B19650000000049454E44AE426082');
INSERT INTO Module (ModuleId, project, Name, Description, Picture) VALUES (4, 'Projects/TicketKiosk', 'Service and maintenance', 'Remote monitoring, alarms, cash collection and updates.', X'89504E470D0A1A0A0000000D4948445200000030000000300802000000D8606ED0000000DB4944415478DAEDD8CD0E40301004606FEB853C8AAB77727226719156687767B6E3472AE1D42F24EC4C378A1DDD762ECB2CB21E051AFA2959CD4039258C7502BAD6B04D29E8B85F7E1D60BA07EDB76D40C9664D5EDC0F7A09A8707D0F54650AFD0E093DA1E626CBCF956AAA1E3FD826CB8046351927469EC93EC2924CAE999A61F20EF970132075604D98180434C17219CA840C8A101338B9FA4DF828ED3451B2BDC7C42A1BCC2662FB613371EB188389DE0FD59A220AAB2A535083566E8AABF4E440B949A2F49403E59586442D2C07DA4DCF2FCE7F903248EA580139329A4ADD26D5090000000049454E44AE426082');

INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-001', 1, NULL, 'Accept payment by bank card', 'Functional', 3, 1, 'Approved', '2025-01-13', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-002', 1, 'REQ-001', 'Read chip cards with PIN entry', 'Functional', 3, 1, 'Implemented', '2025-01-13', '2025-04-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-003', 1, 'REQ-001', 'Accept contactless cards and phones', 'Functional', 3, 1, 'Approved', '2025-01-14', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-004', 1, 'REQ-003', 'Complete a contactless payment within 2 seconds', 'Performance', 2, 1, 'Approved', '2025-01-20', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-005', 1, 'REQ-003', 'Ask for the PIN above the contactless limit', 'Security', 3, 2, 'Approved', '2025-01-20', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-006', 1, NULL, 'Accept coins and bank notes', 'Functional', 6, 2, 'Approved', '2025-01-15', '2025-07-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-007', 1, 'REQ-006', 'Give change in coins', 'Functional', 6, 2, 'Implemented', '2025-01-15', '2025-07-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-008', 1, 'REQ-006', 'Reject counterfeit bank notes', 'Security', 3, 1, 'Approved', '2025-01-22', '2025-07-31', 1);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-009', 1, NULL, 'Settle all card payments once a day', 'Interface', 3, 2, 'Proposed', '2025-02-03', '2025-09-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-010', 1, NULL, 'Refund a failed sale automatically', 'Functional', 3, 2, 'Approved', '2025-02-03', '2025-08-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-011', 1, NULL, 'Keep no card number after the sale', 'Security', 2, 1, 'Verified', '2025-02-05', '2025-04-30', 1);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-012', 1, NULL, 'Accept vouchers of the tram company', 'Functional', 1, 3, 'Deferred', '2025-02-10', NULL, 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-013', 2, NULL, 'Sell single tickets for every fare zone', 'Functional', 1, 1, 'Implemented', '2025-01-10', '2025-04-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-014', 2, 'REQ-013', 'Compute the fare from the zones travelled', 'Functional', 2, 1, 'Verified', '2025-01-10', '2025-04-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-015', 2, 'REQ-013', 'Offer reduced fares for children and seniors', 'Functional', 1, 2, 'Approved', '2025-01-17', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-016', 2, 'REQ-015', 'Ask for a proof of reduction on the ticket', 'Usability', 4, 3, 'Proposed', '2025-01-24', '2025-09-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-017', 2, NULL, 'Sell day, week and month passes', 'Functional', 1, 2, 'Approved', '2025-01-10', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-018', 2, NULL, 'Print the ticket within 3 seconds', 'Performance', 2, 1, 'Approved', '2025-01-28', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-019', 2, 'REQ-018', 'Warn before the paper roll runs out', 'Functional', 6, 2, 'Implemented', '2025-01-28', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-020', 2, NULL, 'Print a QR code that validators can read', 'Interface', 2, 1, 'Approved', '2025-02-04', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-021', 2, 'REQ-020', 'Sign the QR code with the operator''s key', 'Security', 2, 1, 'Approved', '2025-02-04', '2025-06-30', 1);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-022', 2, NULL, 'Sell group tickets for up to 5 people', 'Functional', 1, 3, 'Rejected', '2025-02-12', NULL, 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-023', 2, NULL, 'Print a receipt on request', 'Functional', 3, 3, 'Approved', '2025-02-12', '2025-08-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-024', 3, NULL, 'Offer the screens in four languages', 'Usability', 4, 1, 'Approved', '2025-01-11', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-025', 3, 'REQ-024', 'Switch the language with one touch', 'Usability', 4, 2, 'Implemented', '2025-01-11', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-026', 3, 'REQ-024', 'Return to the default language after a sale', 'Usability', 4, 3, 'Approved', '2025-01-18', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-027', 3, NULL, 'Let wheelchair users reach every control', 'Usability', 4, 1, 'Approved', '2025-01-21', '2025-06-30', 1);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-028', 3, 'REQ-027', 'Offer a low screen mode', 'Usability', 4, 1, 'Implemented', '2025-01-21', '2025-06-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-029', 3, 'REQ-027', 'Read every screen aloud through the headphone jack', 'Usability', 4, 2, 'Proposed', '2025-01-25', '2025-09-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-030', 3, NULL, 'Buy a single ticket in at most four steps', 'Usability', 1, 1, 'Verified', '2025-01-12', '2025-04-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-031', 3, NULL, 'Show the total before the payment', 'Functional', 1, 1, 'Implemented', '2025-01-12', '2025-04-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-032', 3, NULL, 'Cancel a sale at any step before payment', 'Functional', 4, 2, 'Approved', '2025-01-19', '2025-05-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-033', 3, NULL, 'Play an animated advertisement while idle', 'Usability', 1, 3, 'Rejected', '2025-02-14', NULL, 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-034', 4, NULL, 'Report the kiosk''s state to the operations centre', 'Interface', 6, 1, 'Approved', '2025-01-16', '2025-07-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-035', 4, 'REQ-034', 'Send a heartbeat every minute', 'Interface', 6, 2, 'Implemented', '2025-01-16', '2025-07-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-036', 4, 'REQ-034', 'Raise an alarm when the cabinet is opened', 'Security', 6, 1, 'Approved', '2025-01-23', '2025-07-31', 1);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-037', 4, 'REQ-036', 'Log the service card used to open the cabinet', 'Security', 6, 2, 'Proposed', '2025-01-30', '2025-09-30', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-038', 4, NULL, 'Install software updates remotely at night', 'Functional', 2, 2, 'Approved', '2025-02-06', '2025-10-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-039', 4, NULL, 'Count the cash in the safe at every collection', 'Functional', 6, 2, 'Approved', '2025-02-06', '2025-08-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-040', 4, NULL, 'Keep working offline for 24 hours', 'Performance', 2, 1, 'Approved', '2025-02-07', '2025-08-31', 0);
INSERT INTO Requirement (ReqId, module, parent, Title, RequirementType, owner, Priority, Status, Created, Due, SafetyRelated) VALUES ('REQ-041', 4, NULL, 'Print a service report on the ticket printer', 'Functional', 6, 3, 'Deferred', '2025-02-18', NULL, 0);

INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-001', 'Chip card sale with correct PIN', 5, 1, '2025-03-18', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-002', 'Chip card sale with wrong PIN three times', 5, 1, '2025-03-18', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-003', 'Contactless sale below the limit', 5, 1, '2025-03-19', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-004', 'Contactless sale above the limit asks for the PIN', 5, 1, '2025-03-19', 'Failed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-005', 'Contactless timing over 100 sales', 2, 1, '2025-03-20', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-006', 'Cash sale with exact amount', 6, 0, '2025-03-12', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-007', 'Cash sale with change', 6, 0, '2025-03-12', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-008', 'Counterfeit note test set', 3, 0, '2025-03-14', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-009', 'Refund after a printer jam', 5, 0, '2025-03-21', 'Failed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-010', 'Memory scan for card numbers', 2, 1, '2025-03-10', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-011', 'Daily settlement file', 3, 1, NULL, NULL);
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-012', 'Single ticket in every zone', 5, 1, '2025-03-17', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-013', 'Fare table against the tariff', 2, 1, '2025-03-17', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-014', 'Reduced fare selection', 5, 0, '2025-03-24', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-015', 'Pass sale for day, week and month', 5, 1, '2025-03-24', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-016', 'Printing time over 50 tickets', 2, 1, '2025-03-25', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-017', 'Paper low warning', 6, 0, '2025-03-26', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-018', 'QR code read by the validator', 2, 0, '2025-03-26', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-019', 'Forged QR code is refused', 2, 0, '2025-03-27', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-020', 'Receipt printing', 5, 1, '2025-03-27', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-021', 'Language switch on every screen', 4, 1, '2025-03-11', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-022', 'Language reset after the sale', 4, 1, '2025-03-11', 'Failed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-023', 'Reach test from a wheelchair', 4, 0, '2025-03-13', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-024', 'Low screen mode', 4, 0, '2025-03-13', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-025', 'Four-step purchase walk-through', 4, 0, '2025-03-28', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-026', 'Cancel at every step', 5, 1, '2025-03-28', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-027', 'Heartbeat and state report', 6, 1, '2025-03-31', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-028', 'Cabinet alarm', 6, 0, '2025-03-31', 'Passed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-029', 'Night update and rollback', 2, 1, NULL, NULL);
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-030', 'Offline day', 2, 0, '2025-04-02', 'Failed');
INSERT INTO TestCase (TestId, Title, owner, Automated, LastRun, Result) VALUES ('TC-031', 'Cash count at collection', 6, 0, '2025-04-02', 'Passed');

INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (1, 'REQ-002', 'TC-001', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (2, 'REQ-002', 'TC-002', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (3, 'REQ-003', 'TC-003', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (4, 'REQ-005', 'TC-004', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (5, 'REQ-004', 'TC-005', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (6, 'REQ-004', 'TC-003', 'partly verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (7, 'REQ-006', 'TC-006', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (8, 'REQ-007', 'TC-007', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (9, 'REQ-008', 'TC-008', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (10, 'REQ-010', 'TC-009', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (11, 'REQ-011', 'TC-010', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (12, 'REQ-009', 'TC-011', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (13, 'REQ-013', 'TC-012', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (14, 'REQ-014', 'TC-013', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (15, 'REQ-014', 'TC-012', 'partly verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (16, 'REQ-015', 'TC-014', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (17, 'REQ-017', 'TC-015', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (18, 'REQ-018', 'TC-016', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (19, 'REQ-019', 'TC-017', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (20, 'REQ-020', 'TC-018', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (21, 'REQ-021', 'TC-019', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (22, 'REQ-023', 'TC-020', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (23, 'REQ-024', 'TC-021', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (24, 'REQ-025', 'TC-021', 'partly verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (25, 'REQ-026', 'TC-022', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (26, 'REQ-027', 'TC-023', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (27, 'REQ-028', 'TC-024', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (28, 'REQ-028', 'TC-023', 'partly verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (29, 'REQ-030', 'TC-025', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (30, 'REQ-031', 'TC-025', 'partly verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (31, 'REQ-032', 'TC-026', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (32, 'REQ-034', 'TC-027', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (33, 'REQ-035', 'TC-027', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (34, 'REQ-036', 'TC-028', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (35, 'REQ-038', 'TC-029', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (36, 'REQ-040', 'TC-030', 'verifies');
INSERT INTO Trace (TraceId, requirement, testcase, Kind) VALUES (37, 'REQ-039', 'TC-031', 'verifies');

COMMIT;
