-- The user's list of places. Rows are overwritten, never added or deleted, by the program.
CREATE TABLE UserLocations (
    IDX            INTEGER PRIMARY KEY,
    id_City        INTEGER NOT NULL DEFAULT 0,
    id_Timezone    INTEGER NOT NULL DEFAULT 0,
    id_Country     INTEGER NOT NULL DEFAULT 0,
    name_City      VARCHAR(75) NOT NULL DEFAULT '',
    name_Country   TEXT NOT NULL DEFAULT '',
    name_Timezone  TEXT NOT NULL DEFAULT '',
    GMT            DOUBLE NOT NULL DEFAULT 0,
    UsesSummerTime BOOLEAN NOT NULL DEFAULT 0,
    N_summer       INTEGER NOT NULL DEFAULT 0,
    J_summer       INTEGER NOT NULL DEFAULT 0,
    M_summer       INTEGER NOT NULL DEFAULT 0,
    H_summer       INTEGER NOT NULL DEFAULT 3,
    N_winter       INTEGER NOT NULL DEFAULT 0,
    J_winter       INTEGER NOT NULL DEFAULT 0,
    M_winter       INTEGER NOT NULL DEFAULT 0,
    H_winter       INTEGER NOT NULL DEFAULT 2,
    Latitude       DOUBLE NOT NULL DEFAULT 0,
    Longitude      DOUBLE NOT NULL DEFAULT 0,
    PosX           INTEGER NOT NULL DEFAULT 0,
    PosY           INTEGER NOT NULL DEFAULT 0
);
