-- Twenty fictional contacts for the demo, in three groups: Night shift (1), Engineering (2) and
-- Facilities (3). Pager IDs in the 555 range.
BEGIN;
INSERT INTO contacts (name, id, serviceNumber, memberGr1, memberGr2, memberGr3) VALUES
 ('Ann Adams', '5550100', 1, 1, 0, 0),
 ('Bob Baker', '5550101', 1, 1, 1, 0),
 ('Cy Clark', '5550102', 2, 0, 1, 0),
 ('Dee Diaz', '5550103', 1, 1, 0, 1),
 ('Eve Evans', '5550104', 1, 0, 1, 0),
 ('Finn Fox', '5550105', 1, 0, 0, 1),
 ('Gil Grant', '5550106', 1, 1, 0, 0),
 ('Hana Hill', '5550107', 2, 0, 1, 0),
 ('Ike Ito', '5550108', 1, 0, 0, 1),
 ('Jo Jones', '5550109', 1, 1, 1, 0),
 ('Kai King', '5550110', 1, 0, 0, 1),
 ('Lou Lee', '5550111', 1, 1, 0, 0),
 ('Mia Moss', '5550112', 1, 0, 1, 0),
 ('Ned Nash', '5550113', 1, 0, 0, 1),
 ('Ola Owen', '5550114', 2, 1, 0, 0),
 ('Pia Park', '5550115', 1, 0, 1, 0),
 ('Quy Quinn', '5550116', 1, 0, 0, 1),
 ('Rae Ross', '5550117', 1, 1, 0, 0),
 ('Sam Shaw', '5550118', 1, 0, 1, 1),
 ('Tia Todd', '5550119', 1, 1, 0, 0);
COMMIT;
