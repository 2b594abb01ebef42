// Standalone and pooled connections through node-oracledb's thick mode.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { oracledb, credentials, connect, gap } = require('./support');

const FILE = 'connect';

test('client library is loaded from the installed directory', gap(FILE, 'client'), () => {
  assert.strictEqual(oracledb.thin, false);
  // node-oracledb 6 takes any client from 11.2 on.
  assert.ok(oracledb.oracleClientVersion >= 1102000000,
    `client version ${oracledb.oracleClientVersionString}`);
});

test('standalone connection', gap(FILE, 'standalone'), async () => {
  const conn = await connect();
  try {
    assert.ok(conn.oracleServerVersion > 0, 'server version is reported');
    await conn.ping();
    const r = await conn.execute('select current_user::text as who, 6 * 7 as answer');
    assert.deepStrictEqual(r.metaData.map((m) => m.name.toLowerCase()), ['who', 'answer']);
    assert.deepStrictEqual(r.rows, [[process.env.PGUSER || 'postgres', 42]]);
    await conn.commit();
    await conn.rollback();
  } finally {
    await conn.close();
  }
  // A closed connection refuses work with node's own error.
  await assert.rejects(conn.execute('select 1'), /NJS-003/);
});

test('pooled connections', gap(FILE, 'pool'), async () => {
  const pool = await oracledb.createPool({ ...credentials, poolMin: 1, poolMax: 3, poolIncrement: 1 });
  try {
    const a = await pool.getConnection();
    const b = await pool.getConnection();
    const pidOf = async (c) => (await c.execute('select pg_backend_pid()')).rows[0][0];
    const pa = await pidOf(a);
    const pb = await pidOf(b);
    assert.notStrictEqual(pa, pb, 'two pooled connections are two server sessions');
    assert.strictEqual(pool.connectionsInUse, 2);
    assert.ok(pool.connectionsOpen >= 2);
    await a.close();
    assert.strictEqual(pool.connectionsInUse, 1);
    // The released session is handed out again, not a new one.
    const c = await pool.getConnection();
    assert.ok([pa, pb].includes(await pidOf(c)), 'a released session is reused');
    await c.close();
    await b.close();
    assert.strictEqual(pool.connectionsInUse, 0);
  } finally {
    await pool.close(0);
  }
});

test('a lost session is reported as closed and the pool replaces it', gap(FILE, 'lost session'), async () => {
  const pool = await oracledb.createPool({ ...credentials, poolMin: 0, poolMax: 2, poolIncrement: 1 });
  const killer = await connect();
  try {
    const victim = await pool.getConnection();
    const pid = (await victim.execute('select pg_backend_pid()')).rows[0][0];
    await killer.execute('select pg_terminate_backend(cast(:p as int))', { p: pid });
    // node maps the library's lost-connection errors to its own NJS-500.
    await assert.rejects(victim.execute('select 1'), /NJS-500/);
    assert.strictEqual(await victim.isHealthy(), false);
    await victim.close();
    const fresh = await pool.getConnection();
    const again = (await fresh.execute('select pg_backend_pid()')).rows[0][0];
    assert.notStrictEqual(again, pid, 'the dead session is not handed out again');
    await fresh.close();
  } finally {
    await killer.close();
    await pool.close(0);
  }
});

test('a lost standalone connection still closes', gap(FILE, 'lost standalone'), async () => {
  const killer = await connect();
  try {
    const victim = await connect();
    const pid = (await victim.execute('select pg_backend_pid()')).rows[0][0];
    await killer.execute('select pg_terminate_backend(cast(:p as int))', { p: pid });
    // Closing frees the connection without an error, as with Oracle's client.
    await victim.close();
    await assert.rejects(victim.execute('select 1'), /NJS-003/);
  } finally {
    await killer.close();
  }
});
