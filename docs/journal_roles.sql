-- The roles an office gives the journal on its PostgreSQL server. Run by the
-- journal's owner in the journal's database, after the owner has made the
-- schema (one run of configurator-collect --once or of the configurator
-- logged in as the owner):
--   psql -v ON_ERROR_STOP=1 -h SERVER -U OWNER -d readings -f docs/journal_roles.sql
-- then give each role its password: \password journal_writer
--
-- journal_writer: the collectors. They add and update readings, archive
-- records, labels, clock settings and the claims of shared rounds; they never
-- create, alter or drop a table, so a newer program's schema is brought
-- forward by the owner's first run of it, not by theirs.
-- journal_reader: the billing clerk's configurator-collect --consumption and
-- the journal's windows. Reads only.
CREATE ROLE journal_writer LOGIN;
CREATE ROLE journal_reader LOGIN;
GRANT CONNECT ON DATABASE :"DBNAME" TO journal_writer, journal_reader;
GRANT USAGE ON SCHEMA public TO journal_writer, journal_reader;
GRANT SELECT ON journal_meta TO journal_writer;
GRANT SELECT, INSERT, UPDATE ON meters, readings, archive_records, clock_settings, line_claims TO journal_writer;
GRANT SELECT ON journal_meta, meters, readings, archive_records, clock_settings, line_claims TO journal_reader;
