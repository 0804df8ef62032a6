-- Twenty fictional contacts for the demo, in three groups: Night shift (1), Engineering (2) and
-- Facilities (3). Pager IDs in the 555 range.
BEGIN;
INSERT INTO contacts (name, id, serviceNumber, memberGr1, memberGr2, memberGr3) VALUES
 ('Adams, Ann', '5550100', 1, 1, 0, 0),
 ('Baker, Bob', '5550101', 1, 1, 1, 0),
 ('Clark, Cy', '5550102', 2, 0, 1, 0),
 ('Diaz, Dee', '5550103', 1, 1, 0, 1),
 ('Evans, Eve', '5550104', 1, 0, 1, 0),
 ('Fox, Finn', '5550105', 1, 0, 0, 1),
 ('Grant, Gil', '5550106', 1, 1, 0, 0),
 ('Hill, Hana', '5550107', 2, 0, 1, 0),
 ('Ito, Ike', '5550108', 1, 0, 0, 1),
 ('Jones, Jo', '5550109', 1, 1, 1, 0),
 ('King, Kai', '5550110', 1, 0, 0, 1),
 ('Lee, Lou', '5550111', 1, 1, 0, 0),
 ('Moss, Mia', '5550112', 1, 0, 1, 0),
 ('Nash, Ned', '5550113', 1, 0, 0, 1),
 ('Owen, Ola', '5550114', 2, 1, 0, 0),
 ('Park, Pia', '5550115', 1, 0, 1, 0),
 ('Quinn, Quy', '5550116', 1, 0, 0, 1),
 ('Ross, Rae', '5550117', 1, 1, 0, 0),
 ('Shaw, Sam', '5550118', 1, 0, 1, 1),
 ('Todd, Tia', '5550119', 1, 1, 0, 0);
COMMIT;
