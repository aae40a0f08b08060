-- The rights of a role that collects into a shared archive, here lgcset_collector: it stores
-- transfers, settings snapshots and audit rows and reads them back, but never changes or
-- removes a snapshot or an audit row. Run as the role that owns the tables (the one that
-- opened the database first); the collecting role needs no right on any sequence.
GRANT SELECT ON meta TO lgcset_collector;
GRANT SELECT, INSERT, UPDATE ON loggers, downloads TO lgcset_collector;
GRANT SELECT, INSERT ON readings TO lgcset_collector;
GRANT SELECT, INSERT ON settings_snapshots, snapshot_pages, audit_trail, calibrations
  TO lgcset_collector;
