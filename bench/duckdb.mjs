// Runs a benchmark workload's SQL in an in-memory DuckDB and prints the time it took inside the process.
//
// Usage: node bench/duckdb.mjs SCRIPT
// SCRIPT holds statements each ended by ";" and a line end: the loading of the CSV files, then the
// query written to its result file. Printed on standard output, as JSON: the wall seconds from the
// first statement to the end of the last one (node's start, the module load and the opening of the
// database excluded) and the processor seconds of every thread in that time.

import { readFileSync } from 'node:fs';
import { DuckDBInstance } from '@duckdb/node-api';

const statements = readFileSync(process.argv[2], 'utf8').split(/;\n/).filter((s) => s.trim() !== '');
const instance = await DuckDBInstance.create(':memory:');
const connection = await instance.connect();

const cpu = process.cpuUsage();
const start = process.hrtime.bigint();
for (const statement of statements) {
  await connection.run(statement);
}
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
const used = process.cpuUsage(cpu);

console.log(JSON.stringify({ seconds, cpu: (used.user + used.system) / 1e6 }));
connection.closeSync();
instance.closeSync();
