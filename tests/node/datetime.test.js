// Dates and timestamps, bound from JavaScript and fetched back.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { withConnection, freshTable, gap } = require('./support');

const FILE = 'datetime';
const pad = (v, n = 2) => String(v).padStart(n, '0');
// The wall-clock text of a JS Date in the process's time zone, which is how
// node-oracledb hands a Date to a TIMESTAMP.
const wall = (d) => `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())} ` +
  `${pad(d.getHours())}:${pad(d.getMinutes())}:${pad(d.getSeconds())}.${pad(d.getMilliseconds(), 3)}`;

test('dates and timestamps both ways', gap(FILE, 'both ways'), () => withConnection(async (conn) => {
  await freshTable(conn, 'node_dt', 'id int primary key, d date, ts timestamp(6)');
  const values = [
    new Date(2024, 1, 29, 13, 45, 30, 123),
    new Date(1999, 11, 31, 23, 59, 59, 999),
    new Date(1970, 0, 1, 0, 0, 0, 0),
  ];
  for (const [k, v] of values.entries()) {
    await conn.execute('insert into node_dt (id, d, ts) values (:id, :d, :ts)', { id: k, d: v, ts: v });
  }
  await conn.commit();

  // The server stored the wall-clock values the client bound ...
  const text = await conn.execute(
    'select to_char(d, \'YYYY-MM-DD\'), to_char(ts, \'YYYY-MM-DD HH24:MI:SS.MS\') from node_dt order by id');
  assert.deepStrictEqual(text.rows, values.map((v) => [wall(v).slice(0, 10), wall(v)]));

  // ... and hands them back as equal JavaScript Dates (a date column has no time of day).
  const back = await conn.execute('select d, ts from node_dt order by id');
  back.rows.forEach(([d, ts], k) => {
    const v = values[k];
    assert.ok(ts instanceof Date && d instanceof Date);
    assert.strictEqual(ts.getTime(), v.getTime(), `timestamp ${wall(v)} came back as ${wall(ts)}`);
    assert.strictEqual(d.getTime(), new Date(v.getFullYear(), v.getMonth(), v.getDate()).getTime());
  });

  // A Date bound in a predicate compares with the stored value.
  const hit = await conn.execute('select id from node_dt where ts = :t', { t: values[1] });
  assert.deepStrictEqual(hit.rows, [[1]]);
}));

test('timestamps computed by the server', gap(FILE, 'server values'), () => withConnection(async (conn) => {
  const r = await conn.execute(
    'select timestamp \'2023-06-15 08:09:10.654321\' as ts, date \'2000-02-29\' + 1 as d');
  const [[ts, d]] = r.rows;
  assert.strictEqual(wall(ts), '2023-06-15 08:09:10.654');
  assert.strictEqual(wall(d), '2000-03-01 00:00:00.000');
}));
