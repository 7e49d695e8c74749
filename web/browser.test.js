// The built page, opened from disk in Debian's chromium: every example and golden case gives
// the program's exact output; large and deep inputs; download, file opening, tree, layout.
// Run after `bash web/build.sh` (and the native build, for the comparisons with the program):
//   cd web && npm ci && npm test
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {spawnSync} = require('child_process');
const {pathToFileURL} = require('url');
const {chromium} = require('playwright-core');

const root = path.resolve(__dirname, '..');
const pageurl = pathToFileURL(path.join(root, 'build-web/web/index.html')).href;
const program = process.env.RELALG || path.join(root, 'build/relalg');
const screenshot = process.env.RELALG_SCREENSHOT || path.join(root, 'build-web/screenshot.png');

// This machine's network is closed: no background connections, no component updates.
const flags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

let browser;
let page;
const fetched = [];  // requests that would leave the disk: the page makes none

test.before(async () => {
  browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: flags,
  });
  page = await browser.newPage({viewport: {width: 1280, height: 800}});
  page.on('request', (request) => {
    if (!/^(file|data|blob):/.test(request.url())) fetched.push(request.url());
  });
  await page.goto(pageurl);
  await page.evaluate(() => window.relalgpage.ready);
});

test.after(async () => {
  await browser.close();
  assert.deepStrictEqual(fetched, []);
});

function files(folder, suffix) {
  return fs.readdirSync(folder, {recursive: true})
      .filter((name) => name.endsWith(suffix))
      .sort()
      .map((name) => path.join(folder, name));
}

// Text for bytes by the page's own rule: UTF-8 when they are, else one character per byte.
function decode(bytes) {
  try {
    return new TextDecoder('utf-8', {fatal: true, ignoreBOM: true}).decode(bytes);
  } catch {
    return bytes.toString('latin1');
  }
}

// Waits for the run that an action starts, and returns the page's output: its text and bytes.
async function after(action) {
  const runs = await page.evaluate(() => window.relalgpage.runs);
  const started = Date.now();
  await action();
  await page.waitForFunction((n) => window.relalgpage.runs > n, runs, {polling: 5});
  const seconds = (Date.now() - started) / 1000;
  const result = await page.evaluate(() => {
    const bytes = window.relalgpage.outputbytes();
    let binary = '';
    for (let at = 0; bytes && at < bytes.length; at += 8192) {
      binary += String.fromCharCode.apply(null, bytes.subarray(at, at + 8192));
    }
    return {
      text: document.getElementById('output').textContent,
      base64: bytes ? btoa(binary) : null,
      status: document.getElementById('status').textContent,
    };
  });
  return {...result, bytes: result.base64 && Buffer.from(result.base64, 'base64'), seconds};
}

// An input given as exact bytes (base64 across the page's edge), then #run pressed.
async function runbytes(bytes) {
  await page.evaluate((base64) => {
    const binary = atob(base64);
    const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
    window.relalgpage.load(bytes, 'case.in');
  }, Buffer.from(bytes).toString('base64'));
  return after(() => page.click('#run'));
}

function assertoutput(got, expected, name) {
  assert.ok(got.bytes, name + ': no output (' + got.status + ')');
  assert.ok(got.bytes.equals(expected), name + ': output bytes differ');
  assert.strictEqual(got.text, decode(expected), name + ': #output differs');
}

// What the program writes for an input, or null when it is not built.
function programoutput(input) {
  if (!fs.existsSync(program)) return null;
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'relalgweb-'));
  try {
    fs.writeFileSync(path.join(folder, 'in'), input);
    spawnSync(program, [path.join(folder, 'in'), path.join(folder, 'out')]);
    return fs.readFileSync(path.join(folder, 'out'));
  } finally {
    fs.rmSync(folder, {recursive: true});
  }
}

// What axe-core's rules for names, labels, contrast and structure find on the page as it is.
async function accessibilityfaults() {
  if (!(await page.evaluate(() => 'axe' in window))) {
    await page.addScriptTag({path: require.resolve('axe-core/axe.min.js')});
  }
  return page.evaluate(async () => {
    const found = await window.axe.run(document, {runOnly: ['wcag2a', 'wcag2aa', 'best-practice']});
    return found.violations.map((v) => v.id + ': ' + v.nodes.map((n) => n.target).join(' '));
  });
}

const tables = '\n\nR(a int, b char(4))\n1,\'x\'\n2,\'y\'\n\n';

test('every example is listed, loads into the editor and gives its expected output', async () => {
  const examples = files(path.join(root, 'examples'), '.txt');
  const listed = await page.$$eval('#examples option', (options) => options.map((o) => o.value));
  assert.deepStrictEqual(listed, examples.map((file) => path.basename(file, '.txt')));
  for (const file of examples) {
    await page.selectOption('#examples', path.basename(file, '.txt'));
    assert.strictEqual(await page.inputValue('#input'), fs.readFileSync(file, 'latin1'));
    const got = await after(() => page.click('#run'));
    assertoutput(got, fs.readFileSync(file.replace(/\.txt$/, '.expected')), file);
  }
});

test('every golden input gives its golden output byte for byte', async () => {
  const inputs = files(path.join(root, 'tests/golden'), '.in');
  assert.ok(inputs.length > 0);
  for (const input of inputs) {
    const got = await runbytes(fs.readFileSync(input));
    assertoutput(got, fs.readFileSync(input.replace(/\.in$/, '.out')), input);
  }
});

test('typed input runs with Ctrl+Enter, as UTF-8, with the result as a table', async () => {
  const input = 'select(emp,EQ(city,\'Győr\'))\n\nemp(name char(8), city char(8), age int)\n' +
      '\'Ann\',\'Győr\',30\n\'Bob\',\'Pécs\',41\n\'Cy,d\',\'Győr\',7\n\n';
  await page.fill('#input', input);
  await page.focus('#input');
  const got = await after(() => page.keyboard.press('Control+Enter'));
  const expected = programoutput(Buffer.from(input));
  if (expected) assertoutput(got, expected, 'typed input');
  assert.ok(got.text.endsWith('(name char(8), city char(8), age int)\n\'Ann\',\'Győr\',30\n' +
      '\'Cy,d\',\'Győr\',7\n\n'));
  const cells = await page.$$eval('#resulttable tbody tr',
      (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  assert.deepStrictEqual(cells, [['Ann', 'Győr', '30'], ['Cy,d', 'Győr', '7']]);
  const headers = await page.$$eval('#resulttable th', (cells) => cells.map((c) => c.textContent));
  assert.deepStrictEqual(headers, ['name char(8)', 'city char(8)', 'age int']);
});

test('a file opened from disk runs with its exact bytes, carriage returns included', async () => {
  const input = Buffer.from('select(R,EQ(b,\'x\'))\r\n\r\nR(a int, b char(4))\r\n1,\'x\'\r\n' +
      '2,\'y\'\r\n\r\n');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'relalgweb-'));
  const file = path.join(folder, 'crlf.txt');
  fs.writeFileSync(file, input);
  await page.setInputFiles('#openfile', file);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('crlf'));
  const got = await after(() => page.click('#run'));
  fs.rmSync(folder, {recursive: true});
  const expected = programoutput(input);
  if (expected) assertoutput(got, expected, 'opened file');
  assert.ok(got.text.endsWith('R(a int, b char(4))\n1,\'x\'\n\n'));
});

test('a file dropped on the editor runs with its exact bytes', async () => {
  const input = fs.readFileSync(path.join(root, 'tests/golden/hostile/nul-and-high-bytes.in'));
  const dropped = await page.evaluateHandle((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'dropped.txt'));
    return transfer;
  }, [...input]);
  await page.dispatchEvent('#input', 'drop', {dataTransfer: dropped});
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('drop'));
  const got = await after(() => page.click('#run'));
  assertoutput(got, fs.readFileSync(path.join(root, 'tests/golden/hostile/nul-and-high-bytes.out')),
      'dropped file');
});

test('an opened file that is not UTF-8 keeps one byte per character when edited', async () => {
  const tail = '\n\nR(a char(4))\n\'\xe9t\xe9\'\n\'ete\'\n\n';
  await page.evaluate((text) => {
    window.relalgpage.load(Uint8Array.from(text, (c) => c.charCodeAt(0)), 'latin1.txt');
  }, 'R' + tail);
  const edited = 'select(R,EQ(a,\'\xe9t\xe9\'))' + tail;
  await page.fill('#input', edited);
  const got = await after(() => page.click('#run'));
  const expected = Buffer.from(edited, 'latin1');
  assertoutput(got, Buffer.concat([expected, Buffer.from('R(a char(4))\n\'\xe9t\xe9\'\n\n',
      'latin1')]), 'edited file');
});

test('the download button saves the output file exactly', async () => {
  const expected = fs.readFileSync(path.join(root, 'tests/golden/hostile/nul-and-high-bytes.out'));
  await runbytes(fs.readFileSync(path.join(root, 'tests/golden/hostile/nul-and-high-bytes.in')));
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  assert.strictEqual(download.suggestedFilename(), 'case.out');
  assert.ok(fs.readFileSync(await download.path()).equals(expected));
});

test('a 100,000-row input evaluates in under 2 seconds', async () => {
  const names = ['Ann', 'Bob', 'Cyd', 'Dee', 'Eve', 'Fay', 'Gus'];
  const rows = [];
  const kept = new Set();
  for (let k = 0; k < 100000; ++k) {
    const [name, score] = [names[k % names.length], (k * 7919) % 1000];
    rows.push(k + ',\'' + name + '\',' + score);
    if (score > 500) kept.add(name + score);
  }
  const input = Buffer.from('project(select(emp,GT(score,500)),name,score)\n\n' +
      'emp(id int, name char(8), score int)\n' + rows.join('\n') + '\n\n');
  const got = await runbytes(input);
  const taken = await page.evaluate(() => document.getElementById('status').textContent);
  assert.match(taken, /^Evaluated in \d+ ms\.$/);
  const evaluation = Number(taken.match(/\d+/)[0]);
  console.log('100,000 rows: evaluated in ' + evaluation + ' ms, shown in ' + got.seconds + ' s');
  assert.ok(evaluation < 2000, taken);
  assert.ok(got.seconds < 2, 'from #run to #output: ' + got.seconds + ' s');
  assert.strictEqual(got.text, decode(got.bytes));  // a long output, shown in blocks
  const expected = programoutput(input);
  if (expected) assertoutput(got, expected, '100,000 rows');
  const caption = await page.textContent('#resulttable caption');
  assert.strictEqual(caption, kept.size + ' rows, the first 1000 shown');
});

// Deep nesting: evaluation keeps its own work lists, so the page holds the program's limit.
const deep = {
  select: (d) => 'select('.repeat(d) + 'R' + ',EQ(a,1))'.repeat(d),
  not: (d) => 'select(R,' + 'NOT('.repeat(d) + 'EQ(a,1)' + ')'.repeat(d) + ')',
  union: (d) => 'union('.repeat(d) + 'R' + ',R)'.repeat(d),
};

test('nesting at the limit of 100,000 levels gives the same as the program', async () => {
  for (const [name, query] of Object.entries(deep)) {
    const input = Buffer.from(query(name === 'not' ? 99998 : 99999) + tables);
    const got = await runbytes(input);
    const expected = programoutput(input);
    assert.ok(got.bytes, name + ': ' + got.status);
    if (expected) assertoutput(got, expected, name + ' at the limit');
    assert.ok(got.text.endsWith(name === 'union' ? '1,\'x\'\n2,\'y\'\n\n' : '1,\'x\'\n\n'), name);
  }
  // One level more is the empty table, as in the program.
  const over = await runbytes(Buffer.from('project('.repeat(100001) + 'R' + ',a)'.repeat(100001) + tables));
  assert.ok(over.text.endsWith('()\n\n'));
});

test('without an explain function the tree view is hidden; a document draws a tree', async () => {
  assert.ok(await page.isHidden('#treepane'));
  assert.ok(await page.isHidden('#notation'));
  const doc = {
    tables: [{name: 'emp', line: 3, columns: [{name: 'name', type: 'char(8)'}], rows: 2,
      notes: [{line: 4, text: 'A text field that does not begin with a quote.'}]}],
    query: 'project(select(emp,EQ(name,Ann)),name)',
    result: {operator: 'project', text: 'project(select(emp,EQ(name,Ann)),name)', name: '',
      columns: ['name'], rows: 1, first: [['\'Ann\'']], notes: [], operands: [
        {operator: 'select', text: 'select(emp,EQ(name,Ann))', name: 'emp', columns: ['name'],
          rows: 1, first: [['\'Ann\'']], condition: {keyword: 'EQ', text: 'EQ(name,Ann)'},
          notes: [{line: 1, text: 'Ann names no column: compared as a constant.'}], operands: [
            {operator: 'table', text: 'emp', name: 'emp', columns: ['name'], rows: 2,
              first: [['\'Ann\''], ['\'Bob\'']], notes: [], operands: []}]}]},
    notes: [],
  };
  await page.evaluate((d) => window.relalgpage.showexplained(d), doc);
  assert.strictEqual(await page.textContent('#notation'), 'π[name](σ[EQ(name,Ann)](emp))');
  const steps = await page.$$eval('#tree button.step', (b) => b.map((e) => e.textContent));
  assert.deepStrictEqual(steps, ['project — 1 row', 'select — 1 row', 'emp — 2 rows']);
  await page.click('#tree button.step >> text=emp');
  const cells = await page.$$eval('#nodetable td', (c) => c.map((cell) => cell.textContent));
  assert.deepStrictEqual(cells, ['\'Ann\'', '\'Bob\'']);
  await page.click('#tree .notes button');  // a note's line puts the caret on that line
  const line = await page.$eval('#input', (e) => e.value.slice(0, e.selectionEnd));
  assert.strictEqual(line.split('\n').length, 1);
  assert.match(await page.textContent('#notes'), /line 4: A text field/);
  assert.deepStrictEqual(await accessibilityfaults(), []);
  await page.evaluate(() => {
    document.getElementById('treepane').hidden = true;
    document.getElementById('notation').hidden = true;
  });
});

test('the page fits a wide screen and a phone, and works from the keyboard', async () => {
  for (const viewport of [{width: 1280, height: 800}, {width: 375, height: 740}]) {
    await page.setViewportSize(viewport);
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth);
    assert.ok(overflow <= viewport.width, 'wider than ' + viewport.width + ': ' + overflow);
    assert.ok(await page.isVisible('#run'));
  }
  await page.setViewportSize({width: 1280, height: 800});
  for (const id of ['examples', 'openfile', 'run', 'input', 'output']) {
    const named = await page.evaluate((i) => {
      const e = document.getElementById(i);
      return e.labels && e.labels.length > 0 || e.closest('label') !== null ||
          e.hasAttribute('aria-label') || e.hasAttribute('aria-labelledby') ||
          e.textContent.trim() !== '' && e.tagName === 'BUTTON';
    }, id);
    assert.ok(named, '#' + id + ' has no label');
  }
  assert.deepStrictEqual(await accessibilityfaults(), []);
  // Tab from the example list reaches the run button, and Enter on it runs.
  await page.focus('#examples');
  const reached = [];
  for (let k = 0; k < 4 && reached.at(-1) !== 'run'; ++k) {
    await page.keyboard.press('Tab');
    reached.push(await page.evaluate(() => document.activeElement.id));
  }
  assert.strictEqual(reached.at(-1), 'run', reached.join(' '));
  await page.selectOption('#examples', 'join');
  const got = await after(() => page.keyboard.press('Enter'));
  assertoutput(got, fs.readFileSync(path.join(root, 'examples/join.expected')), 'join');
  fs.mkdirSync(path.dirname(screenshot), {recursive: true});
  await page.screenshot({path: screenshot});
});
