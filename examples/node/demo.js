// node-oracledb in thick mode on libocicompat, against PostgreSQL.
//
//   OCI_COMPAT=oracle node demo.js <client-dir> <connect-string> [user]
//
// <client-dir> is the Instant-Client-shaped directory (libclntsh.so and
// friends); <connect-string> a PostgreSQL URI or host:port/database.
'use strict';

const oracledb = require('oracledb');

const [libDir, connectString, user = process.env.PGUSER || 'postgres'] = process.argv.slice(2);
if (!libDir || !connectString) {
  console.error('usage: node demo.js <client-dir> <connect-string> [user]');
  process.exit(2);
}

async function main() {
  oracledb.initOracleClient({ libDir });
  console.log(`node-oracledb ${oracledb.versionString}, client ${oracledb.oracleClientVersionString}`);

  // The password is whatever the server's authentication wants (none here).
  const conn = await oracledb.getConnection({ user, password: process.env.PGPASSWORD || 'unused', connectString });
  try {
    await conn.execute('drop table if exists node_demo');
    await conn.execute('create table node_demo (id int primary key, city varchar(40), population numeric)');

    const cities = [[1, 'Lisbon', 545923], [2, 'Tallinn', 438341], [3, 'Zürich', 421878]];
    const ins = await conn.executeMany('insert into node_demo values (:1, :2, :3)', cities);
    await conn.commit();
    console.log(`inserted ${ins.rowsAffected} rows`);

    const r = await conn.execute(
      'select city, population from node_demo where population > :min order by population desc',
      { min: 430000 });
    for (const [city, population] of r.rows) console.log(`  ${city.padEnd(10)} ${population}`);

    const total = await conn.execute('select sum(population) as total from node_demo');
    console.log(`total population ${total.rows[0][0]}`);
  } finally {
    await conn.close();
  }
  console.log('node demo: done');
}

main().catch((err) => {
  console.error(`node demo failed: ${err.message}`);
  process.exit(1);
});
