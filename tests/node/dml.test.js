// DML: executeMany, transactions seen from a second connection, and a failed
// statement in the middle of a transaction.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { oracledb, connect, withConnection, freshTable, gap } = require('./support');

const FILE = 'dml';

test('executeMany with rowsAffected', gap(FILE, 'executeMany'), () => withConnection(async (conn) => {
  await freshTable(conn, 'node_many', 'id int primary key, name varchar(20), amount numeric(10,2)');
  const rows = Array.from({ length: 500 }, (_, i) => [i + 1, `name ${i + 1}`, (i + 1) / 4]);
  const ins = await conn.executeMany('insert into node_many values (:1, :2, :3)', rows, {
    bindDefs: [{ type: oracledb.NUMBER }, { type: oracledb.STRING, maxSize: 20 }, { type: oracledb.NUMBER }],
  });
  assert.strictEqual(ins.rowsAffected, 500);

  // One update per bound row; rowsAffected adds them up.
  const upd = await conn.executeMany('update node_many set amount = amount * 2 where id <= :n',
    [{ n: 10 }, { n: 20 }]);
  assert.strictEqual(upd.rowsAffected, 30);
  const del = await conn.execute('delete from node_many where id > 400');
  assert.strictEqual(del.rowsAffected, 100);
  await conn.commit();

  const r = await conn.execute('select count(*), sum(amount) from node_many');
  // Rows 1..400 hold (i/4); 1..10 doubled twice, 11..20 doubled once.
  const expected = Array.from({ length: 400 }, (_, i) => {
    const id = i + 1;
    return (id / 4) * (id <= 10 ? 4 : id <= 20 ? 2 : 1);
  }).reduce((a, b) => a + b, 0);
  assert.deepStrictEqual(r.rows, [[400, expected]]);
}));

test('commit and rollback as seen from a second connection', gap(FILE, 'visibility'), async () => {
  const writer = await connect();
  const reader = await connect();
  try {
    await freshTable(writer, 'node_tx', 'id int primary key');
    const count = async (c) => (await c.execute('select count(*) from node_tx')).rows[0][0];

    await writer.execute('insert into node_tx values (1)');
    assert.strictEqual(await count(writer), 1, 'the writer sees its own work');
    assert.strictEqual(await count(reader), 0, 'uncommitted work is invisible');
    await writer.commit();
    assert.strictEqual(await count(reader), 1, 'committed work is visible');

    await writer.execute('insert into node_tx values (2)');
    await writer.rollback();
    assert.strictEqual(await count(writer), 1);
    assert.strictEqual(await count(reader), 1, 'rolled-back work never shows');

    await writer.execute('insert into node_tx values (3)', [], { autoCommit: true });
    assert.strictEqual(await count(reader), 2, 'autoCommit commits');
  } finally {
    await writer.close();
    await reader.close();
  }
});

test('a failed statement keeps the earlier work of its transaction', gap(FILE, 'failed statement'), async () => {
  const conn = await connect();
  const other = await connect();
  try {
    await freshTable(conn, 'node_atomic', 'id int primary key');
    await conn.execute('insert into node_atomic values (1)');
    await assert.rejects(conn.execute('insert into node_atomic values (1)'), (err) => {
      assert.ok(err.errorNum > 0, `an error number: ${err.message}`);
      return true;
    });
    await conn.execute('insert into node_atomic values (2)');
    await conn.commit();
    const r = await other.execute('select id from node_atomic order by id');
    assert.deepStrictEqual(r.rows, [[1], [2]]);
  } finally {
    await conn.close();
    await other.close();
  }
});

test('DDL on a table queried earlier in the same session', gap(FILE, 'ddl after query'), () => withConnection(async (conn) => {
  await freshTable(conn, 'node_ddl', 'id int');
  await conn.execute('insert into node_ddl values (1), (2)');
  const r = await conn.execute('select id from node_ddl order by id');
  assert.deepStrictEqual(r.rows, [[1], [2]]);
  // The query is complete: nothing of it may still hold the table.
  await conn.execute('alter table node_ddl add column note varchar(10)');
  await conn.execute('drop table node_ddl');
  await conn.commit();
}));

test('failed statements report Oracle error numbers', gap(FILE, 'error numbers'), () => withConnection(async (conn) => {
  await freshTable(conn, 'node_err', 'id int primary key');
  await conn.execute('insert into node_err values (1)');
  const failsWith = async (sql, errorNum) => {
    await assert.rejects(conn.execute(sql), (err) => {
      assert.strictEqual(err.errorNum, errorNum, `${sql}: ${err.message}`);
      assert.match(err.message, new RegExp(`-${String(errorNum).padStart(5, '0')}: `));
      return true;
    });
  };
  await failsWith('select 1 / 0', 1476);
  await failsWith('select * from node_no_such_table', 942);
  await failsWith('insert into node_err values (1)', 1);
  // An error without an Oracle counterpart still brings the server's message.
  await assert.rejects(conn.execute('select no_such_column from node_err'), /no_such_column/);
  await conn.rollback();
}));
