-- The empty collection database. Text columns compare without regard to case, as the
-- statements expect ('YES' flags, item numbers). ID is never reused.
CREATE TABLE tblMain (
    ID            INTEGER PRIMARY KEY AUTOINCREMENT,
    ItemID        TEXT COLLATE NOCASE NOT NULL UNIQUE,
    Manufacturer  TEXT COLLATE NOCASE,
    RailLine      TEXT COLLATE NOCASE,
    CarType       TEXT COLLATE NOCASE,
    CarNumber     TEXT COLLATE NOCASE,
    SetNumber     TEXT COLLATE NOCASE,
    Gauge         TEXT COLLATE NOCASE,
    Curve         TEXT COLLATE NOCASE,
    CarColor      TEXT COLLATE NOCASE,
    Color         TEXT COLLATE NOCASE,
    AccquiredFrom TEXT COLLATE NOCASE,
    OriginalCost  REAL,
    CurrentValue  REAL,
    DateAccquired TEXT,
    DateAdd       TEXT,
    DateMod       TEXT,
    FullSet       TEXT COLLATE NOCASE,
    Car           TEXT COLLATE NOCASE,
    Loco          TEXT COLLATE NOCASE,
    Track         TEXT COLLATE NOCASE,
    Accessory     TEXT COLLATE NOCASE,
    Condition     TEXT COLLATE NOCASE,
    Box           TEXT COLLATE NOCASE,
    Notes         TEXT COLLATE NOCASE
);

CREATE TABLE tblOwner (
    OwnerID  TEXT COLLATE NOCASE PRIMARY KEY,
    LName    TEXT COLLATE NOCASE,
    FName    TEXT COLLATE NOCASE,
    Address  TEXT COLLATE NOCASE,
    City     TEXT COLLATE NOCASE,
    State    TEXT COLLATE NOCASE,
    Zip      TEXT COLLATE NOCASE,
    Email    TEXT COLLATE NOCASE,
    FullName TEXT COLLATE NOCASE,
    DateAdd  TEXT,
    DateMod  TEXT
);
