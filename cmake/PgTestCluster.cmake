# The throwaway PostgreSQL cluster behind the server tests.
#
# One cluster serves a whole ctest run: a setup test starts it, a cleanup test
# stops it (CTest runs the cleanup even after failures), and every server test
# names the fixture in FIXTURES_REQUIRED. A run that selects no server test
# never starts the server.
#
# Provides:
#   OCI_PG_FIXTURE      fixture name for FIXTURES_REQUIRED
#   OCI_PG_ENVIRONMENT  NAME=VALUE list to put in the server tests' ENVIRONMENT
#
# Port and directory default to values derived from the build tree, so two
# build trees (say the plain and the sanitizer build) can test side by side.

string(MD5 _oci_pg_hash "${PROJECT_BINARY_DIR}")
string(SUBSTRING "${_oci_pg_hash}" 0 8 _oci_pg_tag)
string(SUBSTRING "${_oci_pg_hash}" 0 4 _oci_pg_hex)
math(EXPR _oci_pg_default_port "54000 + (0x${_oci_pg_hex} % 1000)")
execute_process(COMMAND id -u OUTPUT_VARIABLE _oci_pg_uid OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _oci_pg_id_rc)
if(NOT _oci_pg_id_rc EQUAL 0)
  set(_oci_pg_uid "x")
endif()

set(OCI_PG_PORT ${_oci_pg_default_port} CACHE STRING
    "Port number of the throwaway test cluster (names its unix socket)")
# Under /tmp so that the unprivileged server user can reach it when the tests
# run as root.
set(OCI_PG_DIR "/tmp/ocicompat-pg-${_oci_pg_uid}-${_oci_pg_tag}" CACHE PATH
    "Directory of the throwaway test cluster; removed when the tests end")
set(OCI_PG_BINDIR "/usr/lib/postgresql/15/bin" CACHE PATH
    "Directory holding initdb, pg_ctl and postgres of PostgreSQL 15")

# A client without unix sockets (the Windows build) reaches the cluster over
# TCP on this address; empty for the unix socket only.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(_oci_pg_default_listen 127.0.0.1)
else()
  set(_oci_pg_default_listen "")
endif()
set(OCI_PG_LISTEN "${_oci_pg_default_listen}" CACHE STRING
    "TCP address the test cluster listens on besides its unix socket (empty: none)")

set(OCI_PG_FIXTURE ocicompat_pg_cluster)
if(OCI_PG_LISTEN)
  set(_oci_pg_host ${OCI_PG_LISTEN})
else()
  set(_oci_pg_host ${OCI_PG_DIR})
endif()
set(OCI_PG_ENVIRONMENT
    PGHOST=${_oci_pg_host}
    PGPORT=${OCI_PG_PORT}
    PGUSER=postgres
    PGDATABASE=ocitest
    OCI_TEST_PG=1)

find_program(OCI_BASH bash REQUIRED)
set(_oci_pg_script ${PROJECT_SOURCE_DIR}/scripts/pg-cluster.sh)

add_test(NAME pg_cluster_start
         COMMAND ${OCI_BASH} ${_oci_pg_script} start ${OCI_PG_DIR} ${OCI_PG_PORT})
add_test(NAME pg_cluster_stop
         COMMAND ${OCI_BASH} ${_oci_pg_script} stop ${OCI_PG_DIR})
set_tests_properties(pg_cluster_start PROPERTIES
  FIXTURES_SETUP ${OCI_PG_FIXTURE} LABELS server TIMEOUT 180
  ENVIRONMENT "OCI_PG_BINDIR=${OCI_PG_BINDIR};OCI_PG_LISTEN=${OCI_PG_LISTEN}")
set_tests_properties(pg_cluster_stop PROPERTIES
  FIXTURES_CLEANUP ${OCI_PG_FIXTURE} LABELS server TIMEOUT 120
  ENVIRONMENT "OCI_PG_BINDIR=${OCI_PG_BINDIR}")

# Proves the fixture gives the tests what they rely on: the socket, the
# superuser, the test database, and working two-phase commit.
find_program(OCI_PSQL psql HINTS ${OCI_PG_BINDIR})
if(OCI_PSQL)
  add_test(NAME pg_cluster_psql
           COMMAND ${OCI_PSQL} -X -q -v ON_ERROR_STOP=1 -c "
DO $$
BEGIN
  IF current_user <> 'postgres' OR current_database() <> 'ocitest' THEN
    RAISE EXCEPTION 'connected as % to %', current_user, current_database();
  END IF;
  IF current_setting('max_prepared_transactions')::int < 10 THEN
    RAISE EXCEPTION 'max_prepared_transactions is %',
      current_setting('max_prepared_transactions');
  END IF;
  IF pg_catalog.getdatabaseencoding() <> 'UTF8' THEN
    RAISE EXCEPTION 'database encoding is %', pg_catalog.getdatabaseencoding();
  END IF;
END $$"
                   -c "BEGIN" -c "CREATE TABLE pg_cluster_check (n int)"
                   -c "PREPARE TRANSACTION 'pg_cluster_check'"
                   -c "ROLLBACK PREPARED 'pg_cluster_check'")
  set_tests_properties(pg_cluster_psql PROPERTIES
    FIXTURES_REQUIRED ${OCI_PG_FIXTURE} LABELS server TIMEOUT 60
    ENVIRONMENT "${OCI_PG_ENVIRONMENT}")
endif()
