-- Tiny: five authors and their books, the data source of the kestrel_report golden page.
BEGIN;
CREATE TABLE Author (
  AuthorId INTEGER PRIMARY KEY,
  Name TEXT NOT NULL,
  Country TEXT NOT NULL
);
CREATE TABLE Book (
  BookId INTEGER PRIMARY KEY,
  author INTEGER NOT NULL REFERENCES Author(AuthorId),
  Title TEXT NOT NULL,
  Year INTEGER NOT NULL,
  Genre TEXT NOT NULL
);
INSERT INTO Author VALUES (1, 'Tove Jansson', 'Finland');
INSERT INTO Author VALUES (2, 'Hjalmar Soderberg', 'Sweden');
INSERT INTO Author VALUES (3, 'Karen Blixen', 'Denmark');
INSERT INTO Author VALUES (4, 'Halldor Laxness', 'Iceland');
INSERT INTO Author VALUES (5, 'Astrid Lindgren', 'Sweden');
INSERT INTO Book VALUES (1, 1, 'Comet in Moominland', 1946, 'Children');
INSERT INTO Book VALUES (2, 1, 'The Summer Book', 1972, 'Novel');
INSERT INTO Book VALUES (3, 1, 'Finn Family Moomintroll', 1948, 'Children');
INSERT INTO Book VALUES (4, 2, 'Doctor Glas', 1905, 'Novel');
INSERT INTO Book VALUES (5, 3, 'Out of Africa', 1937, 'Memoir');
INSERT INTO Book VALUES (6, 3, 'Babette''s Feast', 1958, 'Story');
INSERT INTO Book VALUES (7, 4, 'Independent People', 1934, 'Novel');
INSERT INTO Book VALUES (8, 5, 'Pippi Longstocking', 1945, 'Children');
INSERT INTO Book VALUES (9, 5, 'The Brothers Lionheart', 1973, 'Children');
INSERT INTO Book VALUES (10, 5, 'Ronia, the Robber''s Daughter', 1981, 'Children');
COMMIT;
