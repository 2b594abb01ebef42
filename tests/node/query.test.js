// Queries with binds, and fetches that span several fetch batches.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { oracledb, withConnection, gap } = require('./support');

const FILE = 'query';

test('binds over numbers, strings and NULLs', gap(FILE, 'binds'), () => withConnection(async (conn) => {
  const r = await conn.execute(
    'select :n * 2 as doubled, :s || \'!\' as shout, cast(:z as varchar(10)) as nothing, ' +
    'length(:s) as chars',
    { n: 21, s: 'grüße', z: null });
  assert.deepStrictEqual(r.rows, [[42, 'grüße!', null, 5]]);

  // Positional binds, and the same statement again with other values.
  const sql = 'select :1 + :2 as total';
  assert.deepStrictEqual((await conn.execute(sql, [2, 3])).rows, [[5]]);
  assert.deepStrictEqual((await conn.execute(sql, [-7, 0.5])).rows, [[-6.5]]);
}));

test('large integers and fractions', gap(FILE, 'numbers'), () => withConnection(async (conn) => {
  const big = Number.MAX_SAFE_INTEGER;
  let r = await conn.execute('select :b as b, :b - 1 as below', { b: big });
  assert.deepStrictEqual(r.rows, [[big, big - 1]]);

  // Decimal arithmetic on the server: 0.1 + 0.2 is exactly 0.3 there.
  r = await conn.execute('select :x + :y as s, :x * 3 as t', { x: 0.1, y: 0.2 });
  assert.deepStrictEqual(r.rows, [[0.3, 0.3]]);

  // More digits than a double holds arrive intact as strings.
  r = await conn.execute(
    'select 123456789012345678901234567890 as huge, -1.000000000000000000000000000001 as tiny',
    [], { fetchTypeHandler: () => ({ type: oracledb.STRING }) });
  assert.deepStrictEqual(r.rows, [['123456789012345678901234567890', '-1.000000000000000000000000000001']]);

  r = await conn.execute('select cast(:v as numeric(12,4)) as v', { v: -1234.56789 });
  assert.deepStrictEqual(r.rows, [[-1234.5679]]);
}));

test('fetch across several batches', gap(FILE, 'batches'), () => withConnection(async (conn) => {
  const n = 1234;
  const sql = 'select i, \'row \' || i as label from generate_series(1, :n) as g(i) order by i';

  // execute() collects all rows with fetchArraySize 100: 13 fetch calls.
  const all = await conn.execute(sql, { n }, { fetchArraySize: 100 });
  assert.strictEqual(all.rows.length, n);
  all.rows.forEach((row, k) => assert.deepStrictEqual(row, [k + 1, `row ${k + 1}`]));

  // A result set read in uneven pieces.
  const r = await conn.execute(sql, { n }, { resultSet: true, fetchArraySize: 64 });
  let seen = 0;
  let sum = 0;
  for (;;) {
    const rows = await r.resultSet.getRows(250);
    if (rows.length === 0) break;
    for (const [i] of rows) {
      assert.strictEqual(i, seen + 1);
      seen = i;
      sum += i;
    }
  }
  await r.resultSet.close();
  assert.strictEqual(seen, n);
  assert.strictEqual(sum, (n * (n + 1)) / 2);
}));

test('values of PostgreSQL-only column types', gap(FILE, 'pg types'), () => withConnection(async (conn) => {
  // current_database() is of type name, catalog columns too; such values
  // reach node as strings.
  const r = await conn.execute(
    'select current_database() as db, relname from pg_class where relname = :r', { r: 'pg_class' });
  assert.deepStrictEqual(r.rows, [[process.env.PGDATABASE, 'pg_class']]);

  // Other types Oracle has no counterpart for arrive as their server text.
  const t = await conn.execute(
    'select cast(1259 as oid) as o, inet \'10.1.2.3/24\' as ip, cast(12.5 as money) as m, B\'101\' as b, ' +
    'point(1, 2) as p, interval \'1 day 2 hours\' as iv, time \'12:34:56\' as t, ' +
    'timetz \'12:34:56+02\' as tz');
  assert.deepStrictEqual(t.rows, [['1259', '10.1.2.3/24', '$12.50', '101', '(1,2)', '1 day 02:00:00',
    '12:34:56', '12:34:56+02']]);
}));

test('numbers bound where the server wants an integer', gap(FILE, 'integer params'), () => withConnection(async (conn) => {
  // Oracle converts a NUMBER bind to whatever the function takes.
  const r = await conn.execute('select substr(:s, :p) as tail, repeat(:s, :n) as twice',
    { s: 'hello', p: 2, n: 2 });
  assert.deepStrictEqual(r.rows, [['ello', 'hellohello']]);
  // Inside a transaction the refused first try is undone alone: the work
  // before it stays.
  await conn.execute('create temporary table int_params_t (v int)');
  await conn.execute('insert into int_params_t values (:v)', { v: 1 });
  const head = await conn.execute('select left(:s, :n) as head', { s: 'hello', n: 3 });
  assert.deepStrictEqual(head.rows, [['hel']]);
  const kept = await conn.execute('select count(*) as n from int_params_t');
  assert.deepStrictEqual(kept.rows, [[1]]);
  await conn.rollback();
}));

test('long text values', gap(FILE, 'long text'), () => withConnection(async (conn) => {
  const r = await conn.execute('select repeat(\'x\', 5000) as mid, repeat(\'y\', 40000) as big');
  assert.strictEqual(r.rows[0][0], 'x'.repeat(5000));
  assert.strictEqual(r.rows[0][1], 'y'.repeat(40000));
}));

test('binary values of any length', gap(FILE, 'long binary'), () => withConnection(async (conn) => {
  const r = await conn.execute(
    "select decode('0102ff', 'hex') as small, decode(repeat('ab', 40000), 'hex') as big, " +
    'cast(null as bytea) as nothing');
  assert.deepStrictEqual(r.rows[0][0], Buffer.from([1, 2, 255]));
  assert.deepStrictEqual(r.rows[0][1], Buffer.alloc(40000, 0xab));
  assert.strictEqual(r.rows[0][2], null);
}));
