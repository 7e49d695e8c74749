// The editor's input: an opened file or a choice of the menu (the examples, the course
// databases and their exercises), a large file's first lines, and Undo for replaced text.
'use strict';

window.relalginput = (() => {
  const $ = (id) => document.getElementById(id);
  const editor = $('input');
  const status = $('status');
  const exercisechars = 60;  // characters of an exercise's text in the menu
  const openedvalue = ':opened';  // the menu's value for an opened file
  const {isutf8, decode, largefile, headof, firstpart, megabytes} = relalgtable;

  // An opened file's exact bytes, used as long as the editor still shows them unchanged: the
  // editor drops carriage returns and cannot hold bytes that are not UTF-8.
  let loaded = null;  // {bytes, shown, name, perbyte, partial}
  let shownexercise = null;  // the exercise above the editor, with its answer
  let undone = null;  // what Undo puts back: the text that was replaced, and all with it
  // What the menu shows: the value of its choice, or an opened file's name.
  let menuchoice = {value: null, filename: null};

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

  // The name of the input file: the opened one's while the editor shows it unchanged.
  function filename() {
    return loaded && (loaded.partial || editor.value === loaded.shown) ? loaded.name : 'input';
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

  // Puts an input in the editor in place of its text, as a file of that name.
  function replace(bytes, name, what) {
    replacing('Loaded ' + what + '.', () => {
      load(bytes, name);
      setmenu(null, name);
    });
  }

  function wire() {
    const list = $('examples');
    fillmenu(list);
    list.value = relalgexamples.some((e) => e.name === 'sales') ? 'sales' : list.value;
    list.addEventListener('change', () => showexample(list.value));
    showexample(list.value);
    $('undo').addEventListener('click', undo);
    $('editwhole').addEventListener('click', editwhole);
    $('wrap').addEventListener('change', () => {
      editor.classList.toggle('wrapped', $('wrap').checked);
    });
    $('useanswer').addEventListener('click', () => {
      relalgcheck.setanswer(new TextEncoder().encode(shownexercise.answer),
          shownexercise.answername);
      $('checkpane').scrollIntoView({block: 'nearest'});
    });
    $('openfile').addEventListener('change', (event) => openfile(event.target.files[0]));
    editor.addEventListener('dragover', (event) => event.preventDefault());
    editor.addEventListener('drop', (event) => {
      event.preventDefault();
      openfile(event.dataTransfer.files[0]);
    });
  }

  wire();
  return {inputbytes, filename, gotoline, openbytes, replace, painted};
})();
