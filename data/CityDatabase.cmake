# The read-only city database (Cities, World, Timezone) built from its SQL text source.
# tools/make_city_database.py regenerates the source from GeoNames and the system's tz database.
find_program(ORBICLOCK_SQLITE3 sqlite3 REQUIRED)

set(ORBICLOCK_CITY_DB "${ORBICLOCK_APP_DIR}/data/Cities.db")
# Built under a temporary name and renamed, so an interrupted build never leaves a half database.
add_custom_command(OUTPUT "${ORBICLOCK_CITY_DB}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${ORBICLOCK_APP_DIR}/data"
  COMMAND "${CMAKE_COMMAND}" -E rm -f "${ORBICLOCK_CITY_DB}.tmp"
  COMMAND "${ORBICLOCK_SQLITE3}" -bail -batch "${ORBICLOCK_CITY_DB}.tmp"
          ".read ${CMAKE_CURRENT_LIST_DIR}/CityDatabase.sql"
  COMMAND "${CMAKE_COMMAND}" -E rename "${ORBICLOCK_CITY_DB}.tmp" "${ORBICLOCK_CITY_DB}"
  DEPENDS "${CMAKE_CURRENT_LIST_DIR}/CityDatabase.sql"
  COMMENT "Building the city database Cities.db"
  VERBATIM)
add_custom_target(orbiclock_city_database ALL DEPENDS "${ORBICLOCK_CITY_DB}")
