// node-oracledb (thick mode, OCI_COMPAT=oracle) fetching 100k rows of
// bench_rows through libocicompat, beside the same fetch in C through the
// library and through plain libpq (the fetch_ref program). Runs rotate;
// medians and the ratio to the C library fetch are printed.
//
//   node fetch.js <client-dir> <connect-uri> <runs> <fetch_ref>
'use strict';

const { execFileSync } = require('node:child_process');
const oracledb = require('oracledb');

const [libDir, uri, runsArg, fetchRef] = process.argv.slice(2);
const runs = Math.max(1, Number(runsArg) || 5);
const ROWS = 100000;
const SQL = `select id, n, v, t from bench_rows where id <= ${ROWS} order by id`;

// bench_rows as bench/oci_bench.cpp makes it, when that did not run first.
async function ensureTable(conn) {
  const r = await conn.execute('select count(*) from pg_class where relname = \'bench_rows\'');
  if (r.rows[0][0] > 0) return;
  await conn.execute('create table bench_rows (id int4 primary key, n numeric(12,2), v varchar(40), t timestamp)');
  await conn.execute('insert into bench_rows select g, g * 1.25, \'row number \' || g, ' +
    'timestamp \'2024-01-01\' + g * interval \'1 second\' from generate_series(1, 1000000) g');
  await conn.commit();
}

async function nodeFetch(conn, fetchArraySize) {
  const start = process.hrtime.bigint();
  const r = await conn.execute(SQL, [], { fetchArraySize, prefetchRows: fetchArraySize + 1 });
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  let ids = 0;
  for (const row of r.rows) ids += row[0];
  if (r.rows.length !== ROWS || ids !== (ROWS * (ROWS + 1)) / 2) {
    throw new Error(`node-oracledb read ${r.rows.length} rows`);
  }
  return seconds;
}

function cFetch(variant, array) {
  const out = execFileSync(fetchRef, [uri, variant, String(ROWS), String(array)], { encoding: 'utf8' });
  const [seconds, rows] = out.trim().split(/\s+/).map(Number);
  if (rows !== ROWS) throw new Error(`fetch_ref ${variant} read ${rows} rows`);
  return seconds;
}

const median = (v) => {
  const s = [...v].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

async function main() {
  oracledb.initOracleClient({ libDir });
  const conn = await oracledb.getConnection({ user: process.env.PGUSER || 'postgres', password: 'unused', connectString: uri });
  try {
    await ensureTable(conn);
    const variants = [
      { name: 'C: OCIStmtFetch2 (array of 100)', run: async () => cFetch('oci', 100) },
      { name: 'C: libpq single-row mode', run: async () => cFetch('libpq', 1) },
      { name: 'node-oracledb execute (fetchArraySize 100)', run: () => nodeFetch(conn, 100) },
      { name: 'node-oracledb execute (fetchArraySize 1000)', run: () => nodeFetch(conn, 1000) },
    ];
    for (const v of variants) v.seconds = [];
    for (let round = 0; round < runs; round++) {
      for (let k = 0; k < variants.length; k++) {
        const v = variants[(k + round) % variants.length];
        try {
          v.seconds.push(await v.run());
        } catch (err) {
          v.error = v.error || err.message;
        }
      }
    }
    console.log(`\nfetch 100k rows through node-oracledb (median of ${runs})`);
    const reference = variants[0].seconds.length ? median(variants[0].seconds) : NaN;
    for (const v of variants) {
      if (v.error && v.seconds.length === 0) {
        console.log(`  ${v.name.padEnd(44)} failed: ${v.error}`);
        continue;
      }
      const m = median(v.seconds);
      console.log(`  ${v.name.padEnd(44)} ${m.toFixed(3).padStart(9)} s  ${(m / reference).toFixed(2).padStart(6)}x`);
    }
  } finally {
    await conn.close();
  }
}

main().catch((err) => {
  console.error(`bench/node/fetch.js: ${err.message}`);
  process.exit(1);
});
