-- Configuration: user-based rights. Key 1 survives the clearing of the data.
-- The schema version (key 101) is stored by whoever builds the database.
INSERT INTO APP_CONFIG_KEYS (KEY_ID, NAME) VALUES (1, 'AUTH_MODE');
INSERT INTO APP_CONFIG (KEY_ID, KEY_VALUE) VALUES (1, '1');
