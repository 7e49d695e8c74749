// The page's behaviour: loading an input, running it through the module, showing the output
// and the explanation of the same input.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const editor = $('input');
  const status = $('status');
  const shownrows = 1000;  // rows of the result drawn as a table; the output holds them all
  const blocklines = 1000;  // lines of a long output laid out together
  const steprows = 50;  // rows of each step that the explanation keeps for the tree
  const notationlength = 20000;  // characters of the textbook notation shown
  const largefile = 1 << 20;  // bytes of an input or output shown only in part past this
  const headlines = 1000;  // lines shown of a large input or output
  const headbytes = 256 << 10;  // and at most these bytes of a large input's
  const mostlines = 5;  // lines of notes named in the status line
  const exercisechars = 60;  // characters of an exercise's text in the menu

  // The module, made on first use and made again after a run that failed inside it: a run cut
  // short leaves the module's memory in no state to be trusted.
  let made = null;
  function module() {
    if (!made) made = relalgmodule();
    return made;
  }

  // An opened file's exact bytes, used as long as the editor still shows them unchanged: the
  // editor drops carriage returns and cannot hold bytes that are not UTF-8.
  let loaded = null;  // {bytes, shown, name}
  let answer = null;  // the output file's bytes and the name to save them under
  let downloadurl = null;
  let shownexercise = null;  // the exercise above the editor, with its answer
  let undone = null;  // what Undo puts back: the text that was replaced, and all with it
  const openedvalue = ':opened';  // the menu's value for an opened file
  // What the menu shows: the value of its choice, or an opened file's name.
  let menuchoice = {value: null, filename: null};

  const {isutf8, decode} = relalgtable;

  // An input in the editor. A large one shows only its first lines, read-only: a whole file of
  // tens of megabytes takes the editor many seconds to take in, and runs from its bytes anyway.
  // The first lines are shown as UTF-8 when they are: reading all the bytes to tell takes a
  // tenth of a second for every 25 MB.
  function load(bytes, name) {
    const partial = bytes.length > largefile;
    editor.value = decode(partial ? bytes.subarray(0, headof(bytes)) : bytes);
    loaded = {bytes, shown: editor.value, name, perbyte: !partial && !isutf8(bytes), partial};
    showpartial();
  }

  // Where the first lines of a large input or output end: after `headlines` lines, or at a line's end
  // before `headbytes`, or at `headbytes` itself where one line is longer, never inside a
  // character.
  function headof(bytes) {
    let end = relalgtable.afterlines(bytes, headlines);
    if (end <= headbytes) return end;
    end = bytes.lastIndexOf(10, headbytes - 1) + 1 || headbytes;
    while (end > 0 && (bytes[end] & 0xc0) === 0x80) --end;
    return end;
  }

  // What the first part of a large text holds: whole lines, or the beginning of a long one.
  function firstpart(text) {
    if (!text.endsWith('\n')) return 'the beginning';
    const lines = text.split('\n').length - 1;
    return lines === 1 ? 'the first line' : 'the first ' + lines + ' lines';
  }
  const megabytes = (size) => (size / 1e6).toFixed(1) + ' MB';

  // The note above the editor while it shows only the first lines of an opened file.
  function showpartial() {
    const partial = Boolean(loaded && loaded.partial);
    editor.readOnly = partial;
    $('partialinput').hidden = !partial;
    if (!partial) return;
    $('partialinputtext').textContent = 'Showing ' + firstpart(editor.value) + ' of ' +
        loaded.name + ' (' + megabytes(loaded.bytes.length) + '), read-only; Run reads the ' +
        'whole file.';
  }

  // The whole of a large file in the editor, on request.
  async function editwhole() {
    status.textContent = 'Putting the whole of ' + loaded.name + ' in the editor…';
    await painted();
    const perbyte = !isutf8(loaded.bytes);
    editor.value = decode(loaded.bytes, perbyte);
    loaded = {...loaded, shown: editor.value, perbyte, partial: false};
    showpartial();
    status.textContent = 'The whole of ' + loaded.name + ' is in the editor.';
  }

  // Settles once the page has drawn what was changed before.
  function painted() {
    return new Promise((done) => requestAnimationFrame(() => setTimeout(done)));
  }

  // The editor's text as bytes: the opened file's own while it is unchanged; after an edit,
  // one byte per character where the file was shown so and every character still fits a
  // byte, else UTF-8.
  function inputbytes() {
    const text = editor.value;
    if (loaded && (loaded.partial || text === loaded.shown)) return loaded.bytes;
    if (loaded && loaded.perbyte && !/[^\0-\xff]/.test(text)) {
      return Uint8Array.from(text, (c) => c.charCodeAt(0));
    }
    return new TextEncoder().encode(text);
  }

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
    const took = performance.now() - start;
    const name = loaded && (loaded.partial || editor.value === loaded.shown) ? loaded.name :
      'input';
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
  // button that shows it all, each part shown as UTF-8 when it is.
  function show(bytes, message) {
    const partial = Boolean(bytes) && bytes.length > largefile;
    const perbyte = Boolean(bytes) && !partial && !isutf8(bytes);
    const text = bytes ? decode(partial ? bytes.subarray(0, headof(bytes)) : bytes) : '';
    showtext($('output'), text);
    $('partialoutput').hidden = !partial;
    if (partial) {
      $('partialoutputtext').textContent = 'Showing ' + firstpart(text) + ' of the output (' +
          megabytes(bytes.length) + '); Download saves it all.';
    }
    $('download').disabled = !bytes;
    drawresult(bytes, partial ? undefined : perbyte);
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
    relalgtree.render(doc, {tree: $('tree'), table: $('nodetable'), notes: $('notes')}, gotoline);
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

  // Puts the editor's caret on a line of the input, counted from 1.
  function gotoline(line) {
    let at = 0;
    for (let k = 1; k < line && at >= 0; ++k) at = editor.value.indexOf('\n', at) + 1 || -1;
    if (at < 0) return;
    const end = editor.value.indexOf('\n', at);
    editor.focus();
    editor.setSelectionRange(at, end < 0 ? editor.value.length : end);
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

  async function openfile(file) {
    if (!file) return;
    openbytes(new Uint8Array(await file.arrayBuffer()), file.name);
  }

  // What a choice of the menu loads: an example, or a course database with the chosen
  // exercise, if any ("sailors" or "sailors/03").
  function chosen(value) {
    const example = relalgexamples.find((e) => e.name === value);
    if (example) return {text: example.text, name: value + '.txt', exercise: null};
    const [setname, number] = value.split('/');
    const set = relalgdatasets.find((d) => d.name === setname);
    const exercise = number && set.exercises.find((e) => e.number === Number(number));
    return {text: set.database, name: setname + '.txt',
      exercise: exercise ? {...exercise, set: setname} : null};
  }

  // The exercise above the editor, its code in backquotes set as code, or none.
  function showexercise(exercise) {
    $('exercise').hidden = !exercise;
    shownexercise = exercise;
    if (!exercise) return;
    const text = $('exercisetext');
    text.replaceChildren(exercise.set + ', exercise ' + exercise.number + ': ');
    exercise.text.split('`').forEach((part, k) => {
      if (k % 2 === 0) {
        text.append(part);
      } else {
        const code = document.createElement('code');
        code.textContent = part;
        text.append(code);
      }
    });
    text.append(' Put your query in place of the first line.');
  }

  function showexample(value) {
    const entry = chosen(value);
    replacing('Loaded ' + $('examples').selectedOptions[0].textContent + '.', () => {
      load(new TextEncoder().encode(entry.text), entry.name);
      showexercise(entry.exercise);
      setmenu(value, null);
    });
  }

  // The menu shows the chosen example, or an opened file's name in an entry of its own.
  function setmenu(value, filename) {
    const list = $('examples');
    menuchoice = {value, filename};
    let opened = list.querySelector('option.opened');
    if (filename === null) {
      if (opened) opened.remove();
      list.value = value;
      return;
    }
    if (!opened) {
      opened = new Option('', openedvalue);
      opened.className = 'opened';
      list.prepend(opened);
    }
    opened.textContent = filename;
    list.value = openedvalue;
  }

  // The editor's text and all that goes with it, to be put back by Undo.
  function snapshot() {
    return {text: editor.value, loaded, exercise: shownexercise, ...menuchoice};
  }

  function restore(state) {
    editor.value = state.text;
    loaded = state.loaded;
    showpartial();
    showexercise(state.exercise);
    setmenu(state.value, state.filename);
  }

  // Replaces the editor's text by what `action` loads; the text it had stays one Undo away.
  function replacing(message, action) {
    const before = snapshot();
    action();
    status.textContent = message;
    undone = before.text !== '' && before.text !== editor.value ? before : null;
    $('undo').hidden = !undone;
    $('undo').textContent = 'Undo';
  }

  // Undo puts the text back and keeps the replacing one a Redo away, edits included.
  function undo() {
    const now = snapshot();
    restore(undone);
    undone = now;
    const undoing = $('undo').textContent === 'Undo';
    status.textContent = undoing ? 'The previous text is back.' : 'The text is back.';
    $('undo').textContent = undoing ? 'Redo' : 'Undo';
  }

  // An opened file's bytes in the editor, its name in the menu.
  function openbytes(bytes, name) {
    replacing('Opened ' + name + '.', () => {
      load(bytes, name);
      showexercise(null);
      setmenu(null, name);
    });
  }

  function fillmenu(list) {
    const group = (label) => {
      const made = document.createElement('optgroup');
      made.label = label;
      list.append(made);
      return made;
    };
    const examples = group('Examples');
    for (const example of relalgexamples) examples.append(new Option(example.name, example.name));
    for (const set of relalgdatasets) {
      const course = group('Course: ' + set.title);
      course.append(new Option(set.name + ': the database', set.name));
      for (const exercise of set.exercises) {
        const text = exercise.text.replace(/`/g, '');
        course.append(new Option(set.name + ' ' + exercise.number + ': ' +
            (text.length > exercisechars ? text.slice(0, exercisechars) + '…' : text),
        set.name + '/' + String(exercise.number).padStart(2, '0')));
      }
    }
  }

  function wire() {
    const list = $('examples');
    fillmenu(list);
    list.value = relalgexamples.some((e) => e.name === 'sales') ? 'sales' : list.value;
    list.addEventListener('change', () => showexample(list.value));
    showexample(list.value);
    $('undo').addEventListener('click', undo);
    $('editwhole').addEventListener('click', editwhole);
    $('showall').addEventListener('click', async () => {
      status.textContent = 'Showing the whole output…';
      await painted();
      showtext($('output'), decode(answer.bytes));
      $('partialoutput').hidden = true;
      status.textContent = 'The whole output is shown.';
    });
    $('wrap').addEventListener('change', () => {
      editor.classList.toggle('wrapped', $('wrap').checked);
    });

    $('useanswer').addEventListener('click', () => {
      relalgcheck.setanswer(new TextEncoder().encode(shownexercise.answer),
          shownexercise.answername);
      $('checkpane').scrollIntoView({block: 'nearest'});
    });
    $('run').addEventListener('click', run);
    document.addEventListener('keydown', (event) => {
      if ((event.ctrlKey || event.metaKey) && event.key === 'Enter') {
        event.preventDefault();
        run();
      }
    });
    $('download').addEventListener('click', download);
    $('openfile').addEventListener('change', (event) => openfile(event.target.files[0]));
    editor.addEventListener('dragover', (event) => event.preventDefault());
    editor.addEventListener('drop', (event) => {
      event.preventDefault();
      openfile(event.dataTransfer.files[0]);
    });
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

  // Puts an input in the editor in place of its text, as a file of that name.
  function replace(bytes, name, what) {
    replacing('Loaded ' + what + '.', () => {
      load(bytes, name);
      setmenu(null, name);
    });
  }

  wire();
  // For the other parts of the page, tests and tools: inputs as exact bytes, the output's
  // exact bytes, the explanation, calls of the module.
  window.relalgpage = {
    ready: module().then(() => undefined),  // settles once the module is made
    runs: 0,  // runs finished, explanation included, so that a caller can wait for the next
    checks: 0,  // checks finished
    load: openbytes,
    replace,
    inputbytes,
    withmodule,
    call,
    answerof,
    outputbytes: () => (answer ? answer.bytes.slice() : null),
    document: null,  // the explanation the tree shows, parsed
    explainjson,
  };
})();
