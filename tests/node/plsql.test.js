// A stored procedure called as a PL/SQL block with OUT and IN OUT binds.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const { oracledb, withConnection, gap } = require('./support');

const FILE = 'plsql';

test('procedure with OUT and IN OUT binds', gap(FILE, 'out binds'), () => withConnection(async (conn) => {
  await conn.execute(`
    create or replace procedure node_scale(in p_factor numeric, inout p_value numeric, out p_note text)
    language plpgsql as $$
    begin
      p_value := p_value * p_factor;
      p_note := 'scaled to ' || p_value;
    end $$`);
  await conn.commit();

  const r = await conn.execute('begin node_scale(:f, :v, :note); end;', {
    f: 3,
    v: { dir: oracledb.BIND_INOUT, val: 14, type: oracledb.NUMBER },
    note: { dir: oracledb.BIND_OUT, type: oracledb.STRING, maxSize: 40 },
  });
  assert.deepStrictEqual(r.outBinds, { v: 42, note: 'scaled to 42' });

  // Again with other values: nothing of the first call sticks.
  const again = await conn.execute('begin node_scale(:f, :v, :note); end;', {
    f: 0.5,
    v: { dir: oracledb.BIND_INOUT, val: 5, type: oracledb.NUMBER },
    note: { dir: oracledb.BIND_OUT, type: oracledb.STRING, maxSize: 40 },
  });
  assert.deepStrictEqual(again.outBinds, { v: 2.5, note: 'scaled to 2.5' });
}));
