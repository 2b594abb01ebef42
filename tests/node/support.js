// Shared set-up of the node-oracledb tests: thick mode on the installed
// Instant-Client-shaped directory, a connect string for the throwaway
// cluster, and the list of behaviours the library does not give yet.
'use strict';

const oracledb = require('oracledb');

const libDir = process.env.OCICOMPAT_LIBDIR;
if (!libDir) throw new Error('OCICOMPAT_LIBDIR is not set (run through run_node_tests.sh)');
oracledb.initOracleClient({ libDir });

// The cluster listens on a unix socket only, which a PostgreSQL URI names.
const connectString =
  `postgresql:///${process.env.PGDATABASE}` +
  `?host=${encodeURIComponent(process.env.PGHOST)}&port=${process.env.PGPORT}`;
const credentials = { user: process.env.PGUSER || 'postgres', password: 'unused', connectString };

function connect() {
  return oracledb.getConnection(credentials);
}

// Test cases known to fail because the library lacks something, with the
// reason printed by the runner. node's test runner runs them anyway and
// reports them as TODO, so a case that starts passing shows up at once.
// Keys are "<file> > <test name>".
const knownGaps = {
};

// Options of a test case: a time limit, so a hang fails the case instead of
// the whole run, and the TODO mark of a known gap.
function gap(file, name) {
  const reason = knownGaps[`${file} > ${name}`];
  return { timeout: 60000, ...(reason ? { todo: `library gap: ${reason}` } : {}) };
}

// Runs fn with a connection that is closed afterwards, whatever happens.
async function withConnection(fn) {
  const conn = await connect();
  try {
    return await fn(conn);
  } finally {
    await conn.close();
  }
}

// Drops and creates a table; names are per test file, so files may run in parallel.
async function freshTable(conn, name, columns) {
  await conn.execute(`drop table if exists ${name}`);
  await conn.execute(`create table ${name} (${columns})`);
  await conn.commit();
}

module.exports = { oracledb, connectString, credentials, connect, withConnection, freshTable, gap };
