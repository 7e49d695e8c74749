// The page's behaviour: running the editor's input through the module, showing the output
// and the explanation of the same input.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const status = $('status');
  const shownrows = 1000;  // rows of the result drawn as a table; the output holds them all
  const blocklines = 1000;  // lines of a long output laid out together
  const steprows = 50;  // rows of each step that the explanation keeps for the tree
  const notationlength = 20000;  // characters of the textbook notation shown
  const mostlines = 5;  // lines of notes named in the status line

  // The module, made on first use and made again after a run that failed inside it: a run cut
  // short leaves the module's memory in no state to be trusted.
  let made = null;
  function module() {
    if (!made) made = relalgmodule();
    return made;
  }

  let answer = null;  // the output file's bytes and the name to save them under
  let downloadurl = null;

  const {isutf8, decode, largefile, headof, firstpart, megabytes} = relalgtable;
  const {inputbytes, painted} = relalginput;

  // The module's last answer, of the given size, copied out of its memory, which the next call
  // reuses.
  function answerof(m, size) {
    const from = m._answerbytes();
    return m.HEAPU8.slice(from, from + size);  // HEAPU8 read again: memory may have grown
  }

  // One call of an exported function over the input's bytes (and any further arguments).
  function call(m, exported, bytes, ...more) {
    const at = m._malloc(Math.max(bytes.length, 1));
    m.HEAPU8.set(bytes, at);
    const size = exported(at, bytes.length, ...more);
    m._free(at);
    return answerof(m, size);
  }

  function failure(error) {
    return 'The evaluation failed in the browser (' + error.message + '). Nothing was written.';
  }

  async function run() {
    const bytes = inputbytes();
    status.textContent = 'Running…';
    const m = await module();
    const start = performance.now();
    let out;
    try {
      out = call(m, m._run, bytes);
    } catch (error) {
      made = null;
      answer = null;
      show(null, failure(error));
      return;
    }
    if (m._runtoolarge()) {
      // As relalg: no output file; the explanation still shows where the values stop fitting.
      answer = null;
      show(null, 'The query\'s result does not fit in memory, as relalg says: nothing was ' +
          'written. The tree shows the step where it stops.');
      await painted();
      explain(m, bytes);
      return;
    }
    const took = performance.now() - start;
    const name = relalginput.filename();
    answer = {bytes: out, name: name.replace(/\.[^.]*$/, '') + '.out'};
    show(out, 'Evaluated in ' + Math.round(took) + ' ms.');
    reveal();
    // The output is drawn before the explanation is made, which evaluates the query again.
    await painted();
    explain(m, bytes);
    window.relalgpage.runs += 1;
  }

  // The result brought into view when its first line does not show, as on a phone, where it
  // stands under the editor.
  function reveal() {
    const box = $('resulttable').getBoundingClientRect();
    if (box.top < 0 || box.top + 40 > window.innerHeight) {
      $('resultpane').scrollIntoView({block: 'start'});
    }
  }

  // The output's text, exact, in #output. A long one stands in blocks of lines that the browser
  // lays out only once they are scrolled into view (laying out 200,000 lines at once takes about
  // a second); each block's last line feed stands in a hidden element after it, so that copying
  // adds no line between blocks.
  function showtext(place, text) {
    const blocks = [];
    for (let at = 0; at < text.length;) {
      let end = at;
      for (let k = 0; k < blocklines && end < text.length; ++k) {
        end = text.indexOf('\n', end) + 1 || text.length;
      }
      blocks.push(text.slice(at, end));
      at = end;
    }
    if (blocks.length <= 1) {
      place.textContent = text;
      return;
    }
    const last = blocks.pop();
    const nodes = [];
    for (const block of blocks) {
      const lines = document.createElement('div');
      const linefeed = document.createElement('span');
      lines.className = 'lines';
      lines.textContent = block.slice(0, -1);
      linefeed.hidden = true;
      linefeed.textContent = '\n';
      nodes.push(lines, linefeed);
    }
    nodes.push(last);
    place.replaceChildren(...nodes);
  }

  // The output and its result; of a large output only the first lines, with a note and a
  // button that shows it all. A large output's parts are each shown as UTF-8 when they are:
  // telling it for all the bytes takes a tenth of a second for every 25 MB.
  function show(bytes, message) {
    const partial = Boolean(bytes) && bytes.length > largefile;
    const perbyte = bytes && !partial ? !isutf8(bytes) : undefined;
    const text = bytes ? decode(partial ? bytes.subarray(0, headof(bytes)) : bytes, perbyte) : '';
    showtext($('output'), text);
    $('partialoutput').hidden = !partial;
    if (partial) {
      $('partialoutputtext').textContent = 'Showing ' + firstpart(text) + ' of the output (' +
          megabytes(bytes.length) + '); Download saves it all.';
    }
    $('download').disabled = !bytes;
    drawresult(bytes, perbyte);
    status.textContent = message;
    if (!bytes) {
      showtree(null, '');
      shownotation(null);
      window.relalgpage.runs += 1;
    }
  }

  // The tree, the notes and the notation, from the module's explanation of the same input;
  // a module without it shows none of them.
  function explain(m, bytes) {
    if (typeof m._explain !== 'function') return;
    let doc;
    let notation;
    try {
      doc = JSON.parse(new TextDecoder().decode(call(m, m._explain, bytes, steprows)));
      notation = new TextDecoder().decode(answerof(m, m._notation()));
    } catch (error) {
      made = null;
      showtree(null, 'The tree is not shown: explaining the input failed in the browser (' +
          error.message + ').');
      shownotation(null);
      return;
    }
    shownotation(notation);
    if (doc.refused) {
      showtree(null, 'The tree is not shown: ' + doc.refused + '.');
    } else {
      showtree(doc, '');
      status.textContent += notesummary(relalgtree.allnotes(doc));
    }
  }

  // How many notes there are and on which lines, for the status line: " 2 notes: lines 3 and
  // 5.", or nothing without notes.
  function notesummary(notes) {
    if (!notes.length) return '';
    const lines = [...new Set(notes.map((note) => note.line).filter((line) => line !== null))]
        .sort((a, b) => a - b);
    const named = lines.slice(0, mostlines).map(String);
    if (lines.length > mostlines) named.push(lines.length - mostlines + ' more');
    const listed = named.length < 2 ? named.join('') :
      named.slice(0, -1).join(', ') + ' and ' + named.at(-1);
    const where = lines.length === 0 ? '' :
      (lines.length === 1 ? ': line ' : ': lines ') + listed;
    return ' ' + notes.length + (notes.length === 1 ? ' note' : ' notes') + where + '.';
  }

  // A document's tree, or in its place a message saying why there is none.
  function showtree(doc, message) {
    window.relalgpage.document = doc;
    $('treemessage').textContent = message;
    $('treemessage').hidden = message === '';
    $('treeview').hidden = !doc;
    $('treepane').hidden = !doc && message === '';
    if (!doc) {
      for (const id of ['tree', 'nodetable', 'notes']) $(id).replaceChildren();
      return;
    }
    relalgtree.render(doc, {tree: $('tree'), table: $('nodetable'), notes: $('notes')},
        relalginput.gotoline);
    $('notesheading').hidden = $('notes').children.length === 0;
  }

  function shownotation(text) {
    $('notation').hidden = text === null;
    if (text === null) return;
    $('notationtext').textContent = text.length > notationlength ?
      text.slice(0, notationlength) + '… (' + text.length + ' characters in all)' : text;
  }

  // The module's explanation of some bytes, keeping `rows` rows of each step: the document.
  async function explainjson(bytes, rows) {
    const m = await module();
    return new TextDecoder().decode(call(m, m._explain, bytes, rows));
  }

  function drawresult(bytes, perbyte) {
    const place = $('resulttable');
    const result = bytes && relalgtable.resultof(bytes, shownrows, perbyte);
    if (!result) {
      place.replaceChildren();
      return;
    }
    const caption = (result.name === '' ? '' : result.name + ': ') +
        relalgtable.rowcount(result.count) +
        (result.count > shownrows ? ', the first ' + shownrows + ' shown' : '');
    place.replaceChildren(relalgtable.draw(result, caption));
  }

  function download() {
    if (downloadurl) URL.revokeObjectURL(downloadurl);
    downloadurl = URL.createObjectURL(new Blob([answer.bytes], {type: 'text/plain'}));
    const link = document.createElement('a');
    link.href = downloadurl;
    link.download = answer.name;
    link.click();
  }

  function wire() {
    $('showall').addEventListener('click', async () => {
      status.textContent = 'Showing the whole output…';
      await painted();
      showtext($('output'), decode(answer.bytes));
      $('partialoutput').hidden = true;
      status.textContent = 'The whole output is shown.';
    });
    $('run').addEventListener('click', run);
    document.addEventListener('keydown', (event) => {
      if ((event.ctrlKey || event.metaKey) && event.key === 'Enter') {
        event.preventDefault();
        run();
      }
    });
    $('download').addEventListener('click', download);
  }

  // Calls fn with the module; a call that fails inside it leaves a module to be made again.
  async function withmodule(fn) {
    const m = await module();
    try {
      return fn(m);
    } catch (error) {
      made = null;
      throw error;
    }
  }

  wire();
  // For the other parts of the page, tests and tools: inputs as exact bytes, the output's
  // exact bytes, the explanation, calls of the module.
  window.relalgpage = {
    ready: module().then(() => undefined),  // settles once the module is made
    runs: 0,  // runs finished, explanation included, so that a caller can wait for the next
    checks: 0,  // checks finished
    load: relalginput.openbytes,
    replace: relalginput.replace,
    inputbytes,
    withmodule,
    call,
    answerof,
    outputbytes: () => (answer ? answer.bytes.slice() : null),
    document: null,  // the explanation the tree shows, parsed
    explainjson,
  };
})();
