-- Reference rows: the national currency "BGN" and the common currencies, and
-- the kinds of contact data. Kinds 1, 2, 3 and 6 are telephones (the
-- telephone lists take them together), 4 is the fax, 7 the e-mail address.
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (1, 'BGN', 'Български лев', 'Bulgarian lev');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (2, 'EUR', 'Евро', 'Euro');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (3, 'USD', 'Щатски долар', 'US dollar');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (4, 'GBP', 'Британска лира', 'Pound sterling');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (5, 'CHF', 'Швейцарски франк', 'Swiss franc');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (6, 'RON', 'Румънска лея', 'Romanian leu');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (7, 'TRY', 'Турска лира', 'Turkish lira');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (8, 'RUB', 'Руска рубла', 'Russian rouble');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (9, 'CZK', 'Чешка крона', 'Czech koruna');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (10, 'HUF', 'Унгарски форинт', 'Hungarian forint');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (11, 'PLN', 'Полска злота', 'Polish zloty');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (12, 'DKK', 'Датска крона', 'Danish krone');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (13, 'SEK', 'Шведска крона', 'Swedish krona');
INSERT INTO CURRENCIES (ID, TYPE, NAME, NAME_ENG) VALUES (14, 'NOK', 'Норвежка крона', 'Norwegian krone');

INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (1, 'Телефон');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (2, 'Служебен телефон');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (3, 'Домашен телефон');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (4, 'Факс');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (5, 'Уеб сайт');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (6, 'Мобилен телефон');
INSERT INTO CONTACTINFO_TYPES (ID, NAME) VALUES (7, 'E-mail');
