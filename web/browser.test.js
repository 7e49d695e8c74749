// The built page, opened from disk in Debian's chromium: every example and golden case gives
// the program's exact output; large and deep inputs; download, file opening; the explanation
// as relalg-explain gives it, its tree, notes and notation; layout and keyboard.
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
      partial: !document.getElementById('partialoutput').hidden,
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

// The output's bytes as expected, and #output showing them, or a large one's beginning.
function assertoutput(got, expected, name) {
  assert.ok(got.bytes, name + ': no output (' + got.status + ')');
  assert.ok(got.bytes.equals(expected), name + ': output bytes differ');
  if (got.partial) {
    assert.ok(got.text.length > 0 && decode(expected).startsWith(got.text), name + ': #output');
  } else {
    assert.ok(got.text === decode(expected), name + ': #output differs');
  }
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
  const listed = await page.$$eval('#examples optgroup[label=Examples] option',
      (options) => options.map((o) => o.value));
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
  // An output of 2 MB: its first lines, then all of it in blocks on request.
  const lines = decode(got.bytes).split('\n');
  assert.strictEqual(got.text, lines.slice(0, 1000).join('\n') + '\n');
  assert.match(await page.textContent('#partialoutput'),
      /^Showing the first 1000 lines of the output \(\d\.\d MB\)/);
  await page.click('#showall');
  await page.waitForSelector('#partialoutput', {state: 'hidden'});
  assert.strictEqual(await page.textContent('#output'), decode(got.bytes));
  const expected = programoutput(input);
  if (expected) assert.ok(got.bytes.equals(expected), '100,000 rows: output bytes differ');
  const caption = await page.textContent('#resulttable caption');
  assert.strictEqual(caption, kept.size + ' rows, the first 1000 shown');
});

// Deep nesting: evaluation and explanation keep their own work lists, so the page holds the
// program's limit.
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
    const last = name === 'union' ? '1,\'x\'\n2,\'y\'\n\n' : '1,\'x\'\n\n';
    assert.ok(decode(got.bytes).endsWith(last), name);
    // Explained too, on the module's small stack: the tree would hold gigabytes of texts.
    assert.match(await page.textContent('#treemessage'), /^The tree is not shown: .*too deep/);
  }
  // One level more is the empty table, as in the program.
  const over = await runbytes(Buffer.from('project('.repeat(100001) + 'R' + ',a)'.repeat(100001) + tables));
  assert.ok(decode(over.bytes).endsWith('()\n\n'));
});

// The page's explanation against relalg-explain's golden documents, byte for byte.
test('the module explains every golden case and example as relalg-explain --json', async () => {
  const inputs = [...files(path.join(root, 'tests/explain/cases'), '.in'),
    ...files(path.join(root, 'examples'), '.txt')];
  for (const input of inputs) {
    const golden = input.endsWith('.txt') ?
      path.join(root, 'tests/explain/examples', path.basename(input, '.txt') + '.json') :
      input.replace(/\.in$/, '.json');
    const got = await page.evaluate(async (base64) => {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      return window.relalgpage.explainjson(bytes, 5);
    }, fs.readFileSync(input).toString('base64'));
    assert.strictEqual(got, fs.readFileSync(golden, 'utf8'), input);
  }
});

// The steps of a document in the order the tree lists them: each before its operands.
function stepsof(doc) {
  const steps = [];
  const work = [{node: doc.result, depth: 1}];
  while (work.length) {
    const {node, depth} = work.pop();
    steps.push({node, depth});
    for (const operand of [...node.operands].reverse()) {
      work.push({node: operand, depth: depth + 1});
    }
  }
  return steps;
}

const unquoted = (value, column) =>
  (column.type.includes('(') && /^'.*'$/s.test(value) ? value.slice(1, -1) : value);

test('each step of the tree shows its row count, and chosen, its columns and rows', async () => {
  for (const example of ['join', 'unionminus']) {
    await page.selectOption('#examples', example);
    await after(() => page.click('#run'));
    const doc = await page.evaluate(() => window.relalgpage.document);
    const steps = stepsof(doc);
    const items = await page.$$('#tree [role=treeitem]');
    assert.strictEqual(items.length, steps.length, example);
    for (const [k, {node, depth}] of steps.entries()) {
      const level = await items[k].getAttribute('aria-level');
      assert.strictEqual(level, String(depth));
      const head = await items[k].$eval('.stephead', (e) => e.textContent);
      assert.ok(head.endsWith(' — ' + node.rows + (node.rows === 1 ? ' row' : ' rows')), head);
      await items[k].click();
      assert.strictEqual(await items[k].getAttribute('aria-selected'), 'true');
      const shown = await page.evaluate(() => ({
        heads: [...document.querySelectorAll('#nodetable th')].map((c) => c.textContent),
        rows: [...document.querySelectorAll('#nodetable tbody tr')]
            .map((row) => [...row.cells].map((cell) => cell.textContent)),
        about: document.querySelector('#nodetable .about').textContent,
      }));
      assert.deepStrictEqual(shown.heads, node.columns.map((c) => c.name + ' ' + c.type));
      assert.deepStrictEqual(shown.rows,
          node.first.map((row) => row.map((value, c) => unquoted(value, node.columns[c]))));
      assert.ok(shown.about.startsWith(node.text + ': ' + node.rows), shown.about);
    }
  }
});

test('a step whose value does not fit in memory says so, and the product its count', async () => {
  const input = fs.readFileSync(path.join(root, 'tests/explain/cases/product-refused.in'), 'utf8');
  await page.fill('#input', input);
  const got = await after(() => page.click('#run'));
  assert.strictEqual(got.bytes, null);  // no output, as relalg writes none
  assert.match(await page.textContent('#status'), /does not fit in memory/);
  await page.waitForSelector('#tree .stephead');
  const heads = await page.$$eval('#tree .stephead', (all) => all.map((e) => e.textContent));
  assert.ok(heads[0].endsWith(' — more rows than fit in memory'), heads[0]);
  assert.ok(heads.some((head) => head.endsWith(' — 2176782336 rows')), heads.join('; '));
});

test('notes stand at their step and by line, and a note\'s line is shown in the editor',
    async () => {
      const input = path.join(root, 'tests/explain/cases/header-read-as-row.in');
      await runbytes(fs.readFileSync(input));
      const golden = JSON.parse(fs.readFileSync(input.replace(/\.in$/, '.json'), 'utf8'));
      // The step "dept" names a table the input does not hold: its note stands under it.
      const at = stepsof(golden).findIndex((s) => s.node.text === 'dept');
      const dept = await page.$$eval('#tree [role=treeitem]', (e, k) => e[k].textContent, at);
      const stepnote = stepsof(golden)[at].node.notes[0];
      assert.ok(dept.startsWith('dept — 0 rows') && dept.includes(stepnote.text), dept);
      // Every note, those of tables, steps and conditions, in the list in the order of lines.
      const listed = await page.$$eval('#notes li', (items) => items.map((i) => i.textContent));
      const all = [...golden.notes, ...golden.tables.flatMap((t) => t.notes),
        ...stepsof(golden).flatMap((s) => s.node.notes), ...golden.result.condition.notes];
      assert.strictEqual(listed.length, all.length);
      for (const note of all) assert.ok(listed.includes('line ' + note.line + ': ' + note.text));
      const lines = listed.map((text) => Number(text.match(/^line (\d+)/)[1]));
      assert.deepStrictEqual(lines, [...lines].sort((a, b) => a - b));
      // The status line counts them and names their lines.
      assert.strictEqual(all.length, 6);
      assert.match(await page.textContent('#status'),
          /^Evaluated in \d+ ms\. 6 notes: lines 1, 5 and 6\.$/);
      // The note of line 5 selects that line of the editor.
      await page.click('#notes button:text-is("line 5")');
      const chosen = await page.$eval('#input',
          (e) => e.value.slice(e.selectionStart, e.selectionEnd));
      assert.strictEqual(chosen, 'dept(dno int, dname char(12))');
      assert.strictEqual(await page.evaluate(() => document.activeElement.id), 'input');
      // The chosen select step shows its condition, its notes with their lines.
      await page.click('#tree [role=treeitem]:nth-child(1)');
      const condition = await page.textContent('#nodetable .condition');
      assert.match(condition, /EQ\(deptno,dno\): as integers, deptno decides/);
      assert.match(condition, /"dno" names no column/);
    });

test('the notation is the library\'s, as relalg-explain writes it', async () => {
  for (const example of files(path.join(root, 'examples'), '.txt')) {
    const name = path.basename(example, '.txt');
    await page.selectOption('#examples', name);
    await after(() => page.click('#run'));
    // The text explanation's last section, its lines joined: the notation whole.
    const text = fs.readFileSync(path.join(root, 'tests/explain/examples', name + '.text'), 'utf8');
    const section = text.slice(text.indexOf('In textbook notation\n') + 21);
    const expected = section.split('\n').map((line) => line.slice(2)).join('');
    assert.strictEqual(await page.textContent('#notationtext'), expected, name);
  }
});

test('deep queries give their output, with the tree or the reason it is not shown', async () => {
  const selects = (d) => 'select('.repeat(d) + 'R' + ',EQ(a,1))'.repeat(d);
  // 20,000 levels: the document would hold gigabytes of the steps' texts.
  const input = Buffer.from(selects(20000) + tables);
  const got = await runbytes(input);
  const expected = programoutput(input);
  if (expected) assertoutput(got, expected, '20,000 selects');
  assert.match(got.status, /^Evaluated in \d+ ms\.$/);
  assert.ok(await page.isHidden('#treeview'));
  assert.match(await page.textContent('#treemessage'),
      /^The tree is not shown: the JSON would hold \d+ bytes of the steps' texts.*nests too deep/);
  assert.match(await page.textContent('#notationtext'),
      /^σ\[a = 1\]\(σ\[a = 1\]\(.*characters in all\)$/);
  // 1,000 levels: the tree, every step at its level.
  await runbytes(Buffer.from(selects(1000) + tables));
  assert.ok(await page.isHidden('#treemessage'));
  const levels = await page.$$eval('#tree [role=treeitem]',
      (items) => items.map((i) => i.ariaLevel));
  assert.deepStrictEqual(levels, Array.from({length: 1001}, (_, k) => String(k + 1)));
  assert.strictEqual(await page.textContent('#notationtext'),
      'σ[a = 1]('.repeat(1000) + 'R' + ')'.repeat(1000));
  // Past the nesting limit: one step, with the note that says why.
  await runbytes(Buffer.from(selects(100001) + tables));
  assert.strictEqual(await page.$$eval('#tree [role=treeitem]', (items) => items.length), 1);
  assert.match(await page.textContent('#tree'), /nest 100002 deep, more than 100000/);
});

test('the tree works from the keyboard', async () => {
  await page.selectOption('#examples', 'unionminus');
  await after(() => page.click('#run'));
  const state = () => page.evaluate(() => ({
    focused: document.activeElement.getAttribute('aria-level'),
    selected: [...document.querySelectorAll('#tree [role=treeitem]')]
        .findIndex((i) => i.getAttribute('aria-selected') === 'true'),
    hidden: document.querySelectorAll('#tree [role=treeitem][hidden]').length,
    about: document.querySelector('#nodetable .about').textContent,
  }));
  // One stop for the tab key: the chosen step.
  await page.focus('#resulttable');
  await page.keyboard.press('Tab');
  assert.deepStrictEqual(await state(), {focused: '1', selected: 0, hidden: 0,
    about: 'minus(union(spring,autumn),dropped): 4 rows'});
  await page.keyboard.press('ArrowDown');
  assert.strictEqual((await state()).selected, 1);
  assert.match((await state()).about, /^union\(spring,autumn\): /);
  await page.keyboard.press('ArrowLeft');  // closes the union: its two operands hidden
  assert.strictEqual((await state()).hidden, 2);
  await page.keyboard.press('ArrowDown');
  assert.match((await state()).about, /^dropped: /);
  await page.keyboard.press('ArrowLeft');  // to the parent
  assert.strictEqual((await state()).selected, 0);
  await page.keyboard.press('End');
  assert.strictEqual((await state()).selected, 4);
  await page.keyboard.press('Home');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowRight');  // opens the union again
  assert.strictEqual((await state()).hidden, 0);
  await page.keyboard.press('ArrowRight');  // and enters it
  assert.deepStrictEqual(await state(), {focused: '3', selected: 2, hidden: 0,
    about: 'spring: 3 rows'});
  assert.deepStrictEqual(await accessibilityfaults(), []);
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
  // The README's picture: the join's tree with its product chosen.
  await page.click('#tree [role=treeitem]:nth-child(2)');
  await page.evaluate(() => document.activeElement.blur());
  await page.mouse.move(0, 0);
  fs.mkdirSync(path.dirname(screenshot), {recursive: true});
  await page.screenshot({path: screenshot});
});

// The rows of the tables in a place of the page, by caption: each row's cells and class.
async function drawntables(selector) {
  return page.$$eval(selector + ' table', (tables) => tables.map((table) => ({
    caption: table.caption.textContent,
    rows: [...table.tBodies[0].rows].map((row) => ({
      cells: [...row.cells].map((cell) => cell.textContent), mark: row.className})),
  })));
}

async function checked(action) {
  const checks = await page.evaluate(() => window.relalgpage.checks);
  await action();
  await page.waitForFunction((n) => window.relalgpage.checks > n, checks, {polling: 5});
  return page.textContent('#verdict');
}

test('the editor\'s query checked against an answer: the verdict, the counterexample, its rows',
    async () => {
      const answerfile = path.join(root, 'datasets/sailors/answers/03.txt');
      const answer = fs.readFileSync(answerfile, 'utf8');
      await page.fill('#answer', answer);
      await page.fill('#input', answer);
      assert.match(await checked(() => page.click('#check')), /^same /);
      // A query of only a line, green boats for red: Lena reserved only a red one.
      const wrong = 'project(select(product(product(sailors,reserves),boats),' +
          'AND(AND(EQ(sid,sailor),EQ(boat,bid)),EQ(color,\'green\'))),sname)\n';
      await page.fill('#input', wrong);
      await page.setInputFiles('#openanswer', answerfile);
      await page.waitForFunction(() => document.getElementById('answername').textContent !== '');
      assert.match(await checked(() => page.click('#check')), /^differs /);
      const drawn = await drawntables('#checkreport');
      const missing = drawn.find((t) => t.caption.startsWith('Missing rows'));
      assert.ok(missing && missing.rows.length > 0, JSON.stringify(drawn));
      assert.ok(!drawn.some((t) => t.caption.startsWith('Unexpected rows')));
      // The counterexample's three tables, then both results on them, the missing rows marked.
      const captions = drawn.map((t) => t.caption.replace(/: .*/, ''));
      assert.deepStrictEqual(captions.slice(0, 3), ['sailors', 'boats', 'reserves']);
      const expected = drawn.find((t) => t.caption.startsWith('The answer\'s result'));
      const marked = expected.rows.filter((r) => r.mark === 'missing').map((r) => r.cells);
      assert.deepStrictEqual(marked, missing.rows.map((r) => r.cells));
      // Loaded and run, the counterexample gives the page's "your result" again.
      const yours = drawn.find((t) => t.caption.startsWith('Your result'));
      await page.click('#loadcounterexample');
      const loaded = await page.inputValue('#input');
      const header = 'sailors(sid int, sname char(10), rating int, age int)\n';
      assert.ok(loaded.startsWith(wrong + '\n' + header), loaded);
      await after(() => page.click('#run'));
      const cells = await page.$$eval('#resulttable tbody tr',
          (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
      assert.deepStrictEqual(cells, yours.rows.map((r) => r.cells));
      // A query with a misspelt column: the notes say so with the verdict.
      await page.fill('#input', 'project(sailors,snme)');
      assert.match(await checked(() => page.click('#check')), /^differs /);
      assert.match(await page.textContent('#checkreport'), /"snme" names no column.*sname/);
      assert.strictEqual(await page.textContent('#checkreport .reason'),
          'The answer\'s result has 1 column, yours 0 columns.');
      assert.deepStrictEqual(await accessibilityfaults(), []);
      // Files that are not UTF-8: the counterexample loads with their bytes.
      const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'relalgweb-'));
      fs.writeFileSync(path.join(folder, 'latin1.txt'),
          Buffer.from('R\n\nR(a char(4))\n\'\xe9t\xe9\'\n\'x\'\n', 'latin1'));
      await page.setInputFiles('#openanswer', path.join(folder, 'latin1.txt'));
      await page.waitForFunction(
          () => document.getElementById('answername').textContent === 'latin1.txt');
      fs.rmSync(folder, {recursive: true});
      await page.fill('#input', 'select(R,EQ(a,\'x\'))');
      assert.match(await checked(() => page.click('#check')), /^differs /);
      await page.click('#loadcounterexample');
      const run = await after(() => page.click('#run'));
      const counterexample = 'select(R,EQ(a,\'x\'))\n\nR(a char(4))\n\'\xe9t\xe9\'\n\n';
      assert.ok(run.bytes.equals(Buffer.from(counterexample + 'R(a char(4))\n\n', 'latin1')),
          run.text);
    });

test('each course exercise loads its database, and its answer goes to the check in one click',
    async () => {
      const embedded = await page.evaluate(() => window.relalgdatasets);
      assert.deepStrictEqual(embedded.map((set) => set.name), ['company', 'sailors', 'university']);
      for (const [k, set] of embedded.entries()) {
        const folder = path.join(root, 'datasets', set.name);
        const database = fs.readFileSync(path.join(folder, 'database.txt'), 'utf8');
        assert.strictEqual(set.database, database);
        const answers = files(path.join(folder, 'answers'), '.txt');
        assert.deepStrictEqual(set.exercises.map((e) => e.answer),
            answers.map((file) => fs.readFileSync(file, 'utf8')));
        const group = await page.$$eval('#examples optgroup', (groups, name) => groups
            .find((g) => [...g.children].some((o) => o.value === name)).children.length, set.name);
        assert.strictEqual(group, 11, set.name);  // the database, then its ten exercises
        // One exercise of each, chosen in the menu: its database, its words, its answer.
        const number = 3 * k + 2;
        const answername = String(number).padStart(2, '0') + '.txt';
        await page.selectOption('#examples', set.name + '/' + answername.slice(0, 2));
        assert.strictEqual(await page.inputValue('#input'), database);
        const text = await page.textContent('#exercisetext');
        assert.ok(text.startsWith(set.name + ', exercise ' + number + ': '), text);
        await page.click('#useanswer');
        assert.strictEqual(await page.inputValue('#answer'), set.exercises[number - 1].answer);
        assert.strictEqual(await page.textContent('#answername'),
            set.name + '/answers/' + answername);
      }
      // The last exercise's answer checked against its own query: the same.
      await page.fill('#input', await page.inputValue('#answer'));
      assert.match(await checked(() => page.click('#check')), /^same /);
      await page.selectOption('#examples', 'sailors');
      assert.ok(await page.isHidden('#exercise'));
    });

test('the menu names an opened file, and text replaced by a choice is one Undo away', async () => {
  const menu = () => page.$eval('#examples', (list) => list.selectedOptions[0].textContent);
  await page.selectOption('#examples', 'join');
  const edited = (await page.inputValue('#input')).replace('select', 'select ');
  await page.fill('#input', edited);
  await page.selectOption('#examples', 'sales');
  assert.strictEqual(await page.inputValue('#input'),
      fs.readFileSync(path.join(root, 'examples/sales.txt'), 'utf8'));
  await page.click('#undo');
  assert.strictEqual(await page.inputValue('#input'), edited);
  assert.strictEqual(await menu(), 'join');
  await page.click('#undo');  // now Redo
  assert.strictEqual(await menu(), 'sales');
  // An opened file, replaced by an example and put back, runs with its exact bytes again.
  const input = Buffer.from('project(R,b)\r\n\r\nR(a int, b char(4))\r\n1,\'\xe9\'\r\n\r\n',
      'latin1');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'relalgweb-'));
  fs.writeFileSync(path.join(folder, 'mine.txt'), input);
  await page.setInputFiles('#openfile', path.join(folder, 'mine.txt'));
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('mine'));
  fs.rmSync(folder, {recursive: true});
  assert.strictEqual(await menu(), 'mine.txt');
  await page.selectOption('#examples', 'join');
  assert.strictEqual(await page.$$eval('#examples option.opened', (o) => o.length), 0);
  await page.click('#undo');
  assert.strictEqual(await menu(), 'mine.txt');
  const got = await after(() => page.click('#run'));
  assert.ok(got.bytes.equals(Buffer.concat([input.subarray(0, 12), Buffer.from('\n\n' +
      'R(a int, b char(4))\n1,\'\xe9\'\n\n(b char(4))\n\'\xe9\'\n\n', 'latin1')])), got.text);
  // The counterexample of a check replaces the query, which stays one Undo away.
  await page.fill('#answer', 'R\n\nR(a int)\n1\n2\n');
  await page.fill('#input', 'select(R,EQ(a,1))\n');
  assert.match(await checked(() => page.click('#check')), /^differs /);
  await page.click('#loadcounterexample');
  assert.strictEqual(await page.inputValue('#input'), 'select(R,EQ(a,1))\n\nR(a int)\n2\n');
  assert.strictEqual(await menu(), 'counterexample.txt');
  await page.click('#undo');
  assert.strictEqual(await page.inputValue('#input'), 'select(R,EQ(a,1))\n');
});

test('the editor wraps long lines when asked', async () => {
  await page.fill('#input', 'project(R,' + 'a,'.repeat(400) + 'a)' + tables);
  const wider = () => page.$eval('#input', (e) => e.scrollWidth > e.clientWidth);
  assert.ok(await wider());
  await page.check('#wrap');
  assert.ok(!(await wider()));
  await page.uncheck('#wrap');
  assert.ok(await wider());
});

test('on a phone, Run brings the result into view', async () => {
  await page.setViewportSize({width: 375, height: 740});
  await page.selectOption('#examples', 'join');
  await page.evaluate(() => window.scrollTo(0, 0));
  const top = () => page.$eval('#resulttable', (e) => e.getBoundingClientRect().top);
  assert.ok(await top() > 700);
  await after(() => page.click('#run'));
  assert.ok(await top() >= 0 && await top() < 700, String(await top()));
  await page.setViewportSize({width: 1280, height: 800});
});

// An input of n rows of an int and a text, and a query that keeps a thousandth of them.
function largeinput(n) {
  const rows = [];
  for (let k = 0; k < n; ++k) rows.push(k + ',\'employee' + k + '\',' + (k * 7919) % 1000);
  return Buffer.from('select(emp,EQ(score,500))\n\nemp(id int, name char(16), score int)\n' +
      rows.join('\n') + '\n\n');
}

test('a large file shows its first lines, runs whole, and its output shows in part', async () => {
  const input = largeinput(100000);  // 2.7 MB
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'relalgweb-'));
  const file = path.join(folder, 'large.txt');
  fs.writeFileSync(file, input);
  const started = Date.now();
  await page.setInputFiles('#openfile', file);
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('large'));
  fs.rmSync(folder, {recursive: true});
  const head = input.toString('latin1').split('\n').slice(0, 1000).join('\n') + '\n';
  assert.strictEqual(await page.inputValue('#input'), head);
  assert.ok(await page.$eval('#input', (e) => e.readOnly));
  assert.strictEqual(await page.textContent('#partialinputtext'), 'Showing the first 1000 ' +
      'lines of large.txt (' + (input.length / 1e6).toFixed(1) + ' MB), read-only; Run reads ' +
      'the whole file.');
  const got = await after(() => page.click('#run'));
  console.log('100,000 rows: opened and run in ' + (Date.now() - started) / 1000 + ' s');
  const expected = programoutput(input);
  if (expected) assert.ok(got.bytes.equals(expected));
  assert.strictEqual(got.text, decode(got.bytes).split('\n').slice(0, 1000).join('\n') + '\n');
  assert.ok(await page.isVisible('#partialoutput'));
  assert.strictEqual(await page.textContent('#resulttable caption'), 'emp: 100 rows');
  assert.deepStrictEqual(await page.$eval('#resulttable tbody tr', (row) =>
    [...row.cells].map((cell) => cell.textContent)), ['500', 'employee500', '500']);
  // The whole of a smaller large file in the editor on request (5 MB would take 10 s).
  const smaller = largeinput(50000);
  await page.evaluate((base64) => window.relalgpage.load(
      Uint8Array.from(atob(base64), (c) => c.charCodeAt(0)), 'smaller.txt'),
  smaller.toString('base64'));
  assert.ok(await page.isVisible('#partialinput'));
  await page.click('#editwhole');
  await page.waitForFunction(() => !document.getElementById('input').readOnly);
  assert.ok(await page.isHidden('#partialinput'));
  assert.strictEqual(await page.inputValue('#input'), smaller.toString('latin1'));
  assert.strictEqual((await after(() => page.click('#run'))).status.slice(0, 9), 'Evaluated');
  assert.strictEqual(await page.textContent('#resulttable caption'), 'emp: 50 rows');
});
