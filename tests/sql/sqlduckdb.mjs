// Runs an SQL script in an in-memory DuckDB and prints the rows of its last statement as relalg
// prints a table's rows: integers in decimal, texts between single quotes, commas between.
//
// Usage: node tests/sql/sqlduckdb.mjs BENCH SCRIPT
// BENCH is the folder whose node_modules holds the DuckDB package (the benchmark's).
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

const require = createRequire(path.resolve(process.argv[2], 'package.json'));
const { DuckDBInstance } = require('@duckdb/node-api');

// Each statement ends with ";" at a line end; comment lines travel with the statement after them.
const statements = readFileSync(process.argv[3], 'utf8')
  .split(/;\n/)
  .filter((s) => s.split('\n').some((line) => line.trim() !== '' && !line.startsWith('--')));
const instance = await DuckDBInstance.create(':memory:');
const connection = await instance.connect();
let last = null;
for (const statement of statements) {
  last = await connection.runAndReadAll(statement);
}
const printed = (value) =>
  typeof value === 'string' ? "'" + value.replaceAll("'", "''") + "'" : String(value);
for (const row of last ? last.getRows() : []) {
  console.log(row.map(printed).join(','));
}
connection.closeSync();
instance.closeSync();
