-- Users: the maintenance row (ID -1, type 0, no password: the maintenance
-- password is set through the program) and one administrator. The
-- administrator's password is stored in the clear form, which the log-in
-- accepts and replaces by its hash at the first log-in.
INSERT INTO USERS (ID, LOGIN, NAME, NAME_ENG, PASS, USER_TYPE)
  VALUES (-1, '', 'Поддръжка', 'Maintenance', '', 0);
INSERT INTO USERS (ID, LOGIN, NAME, NAME_ENG, PASS, USER_TYPE)
  VALUES (1, 'admin', 'Администратор', 'Administrator', 'hwolbin', 1);
