// The check panel: the editor's query checked against an answer file as relalg-check --json
// checks it, the verdict, the counterexample's tables, the rows one result has and the other
// lacks, and both results on the counterexample.
'use strict';

window.relalgcheck = (() => {
  const $ = (id) => document.getElementById(id);
  const shownrows = 200;  // rows of each table of the report drawn
  const reasons = {
    columns: 'The results have different numbers of columns.',
    rows: 'The results hold different rows.',
    table: 'The results print differently.',
  };

  // The answer file: an opened file's own bytes while the box still shows them unchanged.
  let answerfile = null;  // {bytes, shown, name}

  function element(tag, text, classname) {
    const made = document.createElement(tag);
    if (text !== undefined) made.textContent = text;
    if (classname) made.className = classname;
    return made;
  }

  function setanswer(bytes, name) {
    $('answer').value = relalgtable.decode(bytes);
    answerfile = {bytes, shown: $('answer').value, name};
    $('answername').textContent = name;
  }

  function answerbytes() {
    const text = $('answer').value;
    if (answerfile && text === answerfile.shown) return answerfile.bytes;
    return new TextEncoder().encode(text);
  }

  // An input file's text cut at the empty line that closes its query: the query's lines and
  // the tables' text.
  function split(text) {
    const lines = text.split('\n');
    const blank = lines.findIndex((line) => line === '' || line === '\r');
    if (blank < 0) return {query: text, tables: ''};
    return {query: lines.slice(0, blank).join('\n'), tables: lines.slice(blank + 1).join('\n')};
  }

  // The input with a line feed at its end: the check puts the answer's tables after the
  // query's last line, which without one would take the first header into the query, in the
  // notes and in the counterexample's text. The query means the same either way.
  function endline(bytes) {
    if (bytes.length === 0 || bytes[bytes.length - 1] === 10) return bytes;
    const ended = new Uint8Array(bytes.length + 1);
    ended.set(bytes);
    ended[bytes.length] = 10;
    return ended;
  }

  // The report of the module's check, parsed: one entry, or {refused}.
  function report(m, answer, input) {
    const at = m._malloc(Math.max(answer.length, 1));
    const inputat = m._malloc(Math.max(input.length, 1));
    m.HEAPU8.set(answer, at);
    m.HEAPU8.set(input, inputat);
    const size = m._check(at, answer.length, inputat, input.length);
    m._free(at);
    m._free(inputat);
    const doc = JSON.parse(new TextDecoder().decode(relalgpage.answerof(m, size)));
    return doc.refused ? {refused: doc.refused} : doc.inputs[0];
  }

  // The result of an input file's bytes on the module: its last table, or null.
  function resultof(m, bytes) {
    return relalgtable.resultof(relalgpage.call(m, m._run, bytes), shownrows);
  }

  // Bytes for a text of the report. The report keeps UTF-8 as it is and writes any other
  // byte as the character of its value, so where the files were not UTF-8, a text whose
  // every character fits a byte is taken back one byte per character.
  function encoder(perbyte) {
    return (text) => (perbyte && !/[^\0-\xff]/.test(text) ?
      Uint8Array.from(text, (c) => c.charCodeAt(0)) : new TextEncoder().encode(text));
  }

  function rowtable(title, result, rows, mark) {
    const place = element('div', undefined, 'tablebox');
    if (!result) {
      place.append(element('p', title + ': no result.'));
      return place;
    }
    const caption = title + ': ' + relalgtable.rowcount(result.count) +
        (result.count > result.rows.length ? ', the first ' + result.rows.length + ' shown' : '');
    place.append(relalgtable.draw(result, caption, (row) => (rows.has(row) ? mark : '')));
    return place;
  }

  // Rows as printed, drawn under the columns of the result they come from.
  function rowlist(title, rows, result, mark) {
    if (!rows.length) return [];
    const place = element('div', undefined, 'tablebox');
    const columns = result ? result.columns : [];
    const table = {columns, rows: rows.slice(0, shownrows)};
    const caption = title + ': ' + relalgtable.rowcount(rows.length);
    place.append(relalgtable.draw(table, caption, () => mark));
    return [place];
  }

  function differs(entry, answertext, encode, m) {
    const reason = element('p', reasons[entry.reason] || '', 'reason');
    const parts = [reason];
    const tables = relalgtable.tablesof(entry.counterexample);
    parts.push(element('h3', 'The counterexample: ' + relalgtable.rowcount(entry.rows) +
        (entry.smallest ? ', the fewest on which they differ' : '') +
        (entry.database === 'generated' ? ', from a generated database' : '')));
    const load = element('button', 'Load the counterexample');
    load.type = 'button';
    load.id = 'loadcounterexample';
    load.addEventListener('click', () => relalgpage.replace(
        encode(entry.counterexample), 'counterexample.txt', 'the counterexample'));
    parts.push(load);
    const drawn = element('div', undefined, 'checktables');
    for (const table of tables) {
      const place = element('div', undefined, 'tablebox');
      place.append(relalgtable.draw({...table, rows: table.rows.slice(0, shownrows)},
          (table.name === '' ? '' : table.name + ': ') + relalgtable.rowcount(table.rows.length)));
      drawn.append(place);
    }
    parts.push(drawn);

    // Both queries on the counterexample's tables: the answer's query put in its place.
    const ontables = split(entry.counterexample).tables;
    const expected = resultof(m, encode(split(answertext).query + '\n\n' + ontables));
    const got = resultof(m, encode(entry.counterexample));
    if (entry.reason === 'columns' && expected && got) {
      const columns = (result) => result.columns.length +
          (result.columns.length === 1 ? ' column' : ' columns');
      reason.textContent = 'The answer\'s result has ' + columns(expected) + ', yours ' +
          columns(got) + '.';
    }
    const missing = new Set(entry.missing);
    const unexpected = new Set(entry.unexpected);
    parts.push(...rowlist('Missing rows, in the answer\'s result and not in yours',
        entry.missing, expected, 'missing'));
    parts.push(...rowlist('Unexpected rows, in your result and not in the answer\'s',
        entry.unexpected, got, 'unexpected'));
    parts.push(element('h3', 'Both results on the counterexample'));
    const results = element('div', undefined, 'results');
    results.append(rowtable('The answer\'s result', expected, missing, 'missing'),
        rowtable('Your result', got, unexpected, 'unexpected'));
    parts.push(results);
    return parts;
  }

  // The report in its place, and one check more finished.
  function finish(...parts) {
    $('checkreport').replaceChildren(...parts);
    window.relalgpage.checks += 1;
  }

  async function check() {
    const answer = answerbytes();
    if (answer.length === 0) {
      finish(element('p', 'Open or paste an answer file first.', 'verdict'));
      return;
    }
    const input = relalgpage.inputbytes();
    if (input.length === 0) {
      finish(element('p', 'Write a query in the editor first.', 'verdict'));
      return;
    }
    $('checkreport').replaceChildren(element('p', 'Checking…', 'verdict'));
    const parts = [];
    try {
      await relalgpage.withmodule((m) => {
        const entry = report(m, answer, endline(input));
        if (entry.refused) {
          parts.push(element('p', 'Not checked: ' + entry.refused + '.', 'verdict'));
          return;
        }
        const verdict = element('p', undefined, 'verdict ' + entry.verdict);
        verdict.id = 'verdict';
        verdict.append(element('strong', entry.verdict), ' ' + ({
          same: 'Your query gives the answer\'s result on the answer\'s tables.',
          differs: 'Your query gives another result than the answer\'s.',
          error: entry.error || '',
        }[entry.verdict] || ''));
        parts.push(verdict);
        if (entry.notes.length) {
          const notes = element('ul', undefined, 'notes');
          for (const note of entry.notes) notes.append(element('li', note));
          parts.push(element('h3', 'Notes on your query'), notes);
        }
        if (entry.verdict === 'differs') {
          const perbyte = !relalgtable.isutf8(answer) || !relalgtable.isutf8(input);
          parts.push(...differs(entry, relalgtable.decode(answer), encoder(perbyte), m));
        }
      });
    } catch (error) {
      parts.push(element('p', 'The check failed in the browser (' + error.message + ').',
          'verdict'));
    }
    finish(...parts);
  }

  async function openanswer(file) {
    if (!file) return;
    setanswer(new Uint8Array(await file.arrayBuffer()), file.name);
  }

  function wire() {
    $('check').addEventListener('click', check);
    $('openanswer').addEventListener('change', (event) => openanswer(event.target.files[0]));
    $('answer').addEventListener('input', () => {
      const text = $('answer').value;
      $('answername').textContent = !answerfile ? (text === '' ? '' : 'pasted') :
        text === answerfile.shown ? answerfile.name : answerfile.name + ', edited';
    });
  }

  wire();
  return {setanswer, check};
})();
