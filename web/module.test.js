// The module alone under node: its own stack holds the deepest query the program evaluates,
// given an engine stack deep enough for the recursion (a browser's is not).
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const path = require('path');
const {Worker, isMainThread, parentPort, workerData} = require('worker_threads');

const modulefile = path.resolve(__dirname, '../build-web/web/relalg.js');
const tables = '\n\nR(a int, b char(4))\n1,\'x\'\n2,\'y\'\n\n';

// In a worker with a large engine stack: the result table of each query at the limit.
async function resultsatthelimit() {
  const m = await require(workerData)();
  const queries = [
    'select('.repeat(99999) + 'R' + ',EQ(a,1))'.repeat(99999),
    'select(R,' + 'NOT('.repeat(99998) + 'EQ(a,1)' + ')'.repeat(99998) + ')',
    'union('.repeat(100000) + 'R' + ',R)'.repeat(100000),
    'project('.repeat(100001) + 'R' + ',a)'.repeat(100001),  // one too deep: the empty table
  ];
  return queries.map((query) => {
    const bytes = Buffer.from(query + tables, 'latin1');
    const at = m._malloc(bytes.length);
    m.HEAPU8.set(bytes, at);
    const size = m._run(at, bytes.length);
    m._free(at);
    const output = Buffer.from(m.HEAPU8.slice(m._answerbytes(), m._answerbytes() + size));
    return output.toString('latin1').slice(bytes.length);  // the input is echoed first
  });
}

if (isMainThread) {
  test('the module evaluates queries nested to the limit of 100,000 levels', async () => {
    const worker = new Worker(__filename, {
      workerData: modulefile,
      resourceLimits: {stackSizeMb: 256},
    });
    const results = await new Promise((resolve, reject) => {
      worker.on('message', resolve);
      worker.on('error', reject);
    });
    const r = tables.slice(2);
    assert.deepStrictEqual(results, [
      'R(a int, b char(4))\n1,\'x\'\n\n',
      'R(a int, b char(4))\n1,\'x\'\n\n',
      r,
      '()\n\n',
    ]);
  });
} else {
  resultsatthelimit().then((results) => parentPort.postMessage(results));
}
