// Tables as relalg prints them: the text of bytes and the first part of large ones, a header
// and rows cut into values, the last table of an output found in its bytes, and any of them
// drawn as an HTML table.
'use strict';

window.relalgtable = (() => {
  const linefeed = 10;
  const largefile = 1 << 20;  // bytes of an input or output shown only in part past this
  const headlines = 1000;  // lines of it shown
  const headbytes = 256 << 10;  // and at most these bytes

  function isutf8(bytes) {
    try {
      new TextDecoder('utf-8', {fatal: true}).decode(bytes);
      return true;
    } catch {
      return false;
    }
  }

  // Text for bytes: UTF-8 when they are UTF-8 (a byte-order mark kept), else one character
  // per byte, so that every byte shows and none is replaced.
  function decode(bytes, perbyte = !isutf8(bytes)) {
    if (!perbyte) return new TextDecoder('utf-8', {ignoreBOM: true}).decode(bytes);
    let text = '';
    for (let at = 0; at < bytes.length; at += 8192) {
      text += String.fromCharCode.apply(null, bytes.subarray(at, at + 8192));
    }
    return text;
  }

  // The offset just past the `lines`-th line feed from `from`, or the end of the bytes.
  function afterlines(bytes, lines, from = 0) {
    let at = from;
    for (let k = 0; k < lines && at < bytes.length; ++k) {
      const feed = bytes.indexOf(linefeed, at);
      at = feed < 0 ? bytes.length : feed + 1;
    }
    return at;
  }

  // Where the first part of large bytes ends: after `headlines` lines, or at a line's end
  // before `headbytes`, or at `headbytes` itself where one line is longer, never inside a
  // character.
  function headof(bytes) {
    let end = afterlines(bytes, headlines);
    if (end <= headbytes) return end;
    end = bytes.lastIndexOf(linefeed, headbytes - 1) + 1 || headbytes;
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

  function countlines(bytes, from, to) {
    let count = 0;
    for (let at = bytes.indexOf(linefeed, from); at >= 0 && at < to;
      at = bytes.indexOf(linefeed, at + 1)) {
      ++count;
    }
    return count;
  }

  // A header line: the table's name and its columns, each with its type and whether it holds
  // texts.
  function headerof(header) {
    const inner = header.slice(header.indexOf('(') + 1, header.lastIndexOf(')'));
    const columns = inner === '' ? [] : inner.split(', ').map((column) => {
      const blank = column.lastIndexOf(' ');
      const type = column.slice(blank + 1);
      return {name: column.slice(0, blank), type, text: type.includes('(')};
    });
    return {header, name: header.slice(0, header.indexOf('(')), columns};
  }

  // The result of an output's bytes: its last table, a header, its rows and the empty line
  // that ends the file; only the first `most` rows are decoded (one character per byte where
  // `perbyte` says so, unsaid as UTF-8 where they are), all are counted. Rows are single lines,
  // since no value holds a line feed.
  function resultof(bytes, most, perbyte) {
    const end = bytes.length;
    if (end < 2 || bytes[end - 1] !== linefeed || bytes[end - 2] !== linefeed) return null;
    let from = end - 3;
    while (from >= 0 && !(bytes[from] === linefeed && bytes[from + 1] === linefeed)) {
      // A negative start would count from the end.
      from = from > 0 ? bytes.lastIndexOf(linefeed, from - 1) : -1;
    }
    if (from < 0) return null;
    const start = from + 2;
    const shown = Math.min(afterlines(bytes, most + 1, start), end - 1);
    const lines = decode(bytes.subarray(start, shown), perbyte).replace(/\n$/, '').split('\n');
    return {...headerof(lines[0]), rows: lines.slice(1),
      count: countlines(bytes, start, end - 2)};
  }

  // The tables of an input file's text after its query, each a header and its rows.
  function tablesof(text) {
    const lines = text.split('\n').map((line) => line.replace(/\r$/, ''));
    const tables = [];
    let current = null;
    for (const line of lines.slice(lines.indexOf('') + 1)) {
      if (line === '') {
        current = null;
      } else if (current) {
        current.rows.push(line);
      } else {
        current = {...headerof(line), rows: []};
        tables.push(current);
      }
    }
    return tables;
  }

  // A printed row cut into its values: a text runs from its opening quote to a quote before a
  // comma, an integer to the next comma, the last value to the end of the row.
  function valuesof(row, columns) {
    const values = [];
    let at = 0;
    columns.forEach((column, k) => {
      let end = row.length;
      if (k < columns.length - 1) {
        const quoted = column.text && row[at] === '\'';
        const stop = quoted ? row.indexOf('\',', at + 1) : row.indexOf(',', at);
        end = stop < 0 ? row.length : stop + (quoted ? 1 : 0);
      }
      const value = row.slice(at, end);
      values.push(column.text && /^'.*'$/s.test(value) ? value.slice(1, -1) : value);
      at = end + 1;
    });
    return values;
  }

  // A table as an HTML table: the caption, a head of the columns with their types, the given
  // rows; a row for which `marked` gives a class name carries it.
  function draw(table, caption, marked = () => '') {
    const drawn = document.createElement('table');
    drawn.createCaption().textContent = caption;
    const head = drawn.createTHead().insertRow();
    for (const column of table.columns) {
      const cell = document.createElement('th');
      const type = document.createElement('span');
      cell.scope = 'col';
      type.className = 'type';
      type.textContent = column.type;
      cell.append(column.name, ' ', type);
      head.append(cell);
    }
    const body = drawn.createTBody();
    for (const row of table.rows) {
      const line = body.insertRow();
      const mark = marked(row);
      if (mark) line.className = mark;
      valuesof(row, table.columns).forEach((value, k) => {
        const cell = line.insertCell();
        cell.textContent = value;
        if (!table.columns[k].text) cell.className = 'number';
      });
    }
    return drawn;
  }

  const rowcount = (count) => count + (count === 1 ? ' row' : ' rows');

  return {isutf8, decode, largefile, headof, firstpart, megabytes, resultof, tablesof, draw,
    rowcount};
})();
