// Runs SQL scripts, each in an in-memory DuckDB of its own, and writes the rows of each one's last
// statement as relalg prints a table's rows: integers in decimal, texts between single quotes,
// commas between.
//
// Usage: node tests/sql/sqlduckdb.mjs BENCH SCRIPT...
// BENCH is the folder whose node_modules holds the DuckDB package (the benchmark's). The rows of
// SCRIPT go to SCRIPT.rows, one a line, or the engine's message to SCRIPT.error; one process runs
// them all, as starting node per script would take longer than the scripts.
import { readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(path.resolve(process.argv[2], 'package.json'));
const { DuckDBInstance } = require('@duckdb/node-api');

const printed = (value) =>
  typeof value === 'string' ? "'" + value.replaceAll("'", "''") + "'" : String(value);

async function rowsof(script) {
  // Each statement ends with ";" at a line end; comment lines travel with the statement after
  // them.
  const statements = readFileSync(script, 'utf8')
    .split(/;\n/)
    .filter((s) => s.split('\n').some((line) => line.trim() !== '' && !line.startsWith('--')));
  const instance = await DuckDBInstance.create(':memory:');
  const connection = await instance.connect();
  try {
    let last = null;
    for (const statement of statements) {
      last = await connection.runAndReadAll(statement);
    }
    return (last ? last.getRows() : []).map((row) => row.map(printed).join(',') + '\n').join('');
  } finally {
    connection.closeSync();
    instance.closeSync();
  }
}

for (const script of process.argv.slice(3)) {
  try {
    writeFileSync(script + '.rows', await rowsof(script));
  } catch (error) {
    writeFileSync(script + '.error', String(error.message ?? error) + '\n');
  }
}
